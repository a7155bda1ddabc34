#include "app/footprint_map.hpp"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace vortane {

namespace {

// The area shown: both outlines with a margin, in degrees.
struct TView {
    double West = 0, East = 0, South = 0, North = 0;
};

TView ViewOf(const std::vector<TLonLat>& A, const std::vector<TLonLat>& B) {
    TView View{1e9, -1e9, 1e9, -1e9};
    for (const auto* Ring : {&A, &B})
        for (const TLonLat& P : *Ring) {
            View.West = std::min(View.West, P.Lon), View.East = std::max(View.East, P.Lon);
            View.South = std::min(View.South, P.Lat), View.North = std::max(View.North, P.Lat);
        }
    const double Margin = std::max({View.East - View.West, View.North - View.South, 1e-4}) * 0.25;
    return {View.West - Margin, View.East + Margin, View.South - Margin, View.North + Margin};
}

// A round graticule interval giving a few lines across Span degrees.
double GraticuleStep(double Span) {
    const double Steps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5,
                            1,     2,     5,     10,   15,   30,   45,  90};
    for (const double Step : Steps)
        if (Span / Step <= 5) return Step;
    return 90;
}

QString DegreeText(double Value, double Step) {
    const int Decimals = Step >= 1 ? 0 : int(std::ceil(-std::log10(Step) - 1e-9));
    return QString::number(Value, 'f', Decimals) + QChar(0xB0);
}

} // namespace

TFootprintMap::TFootprintMap(QWidget* Parent) : QWidget(Parent) {
    setObjectName("FootprintMap");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TFootprintMap::SetOutlines(std::vector<TLonLat> Input, std::vector<TLonLat> Output) {
    FInput = std::move(Input);
    FOutput = std::move(Output);
    update();
}

void TFootprintMap::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.fillRect(rect(), palette().base());
    Painter.setPen(palette().mid().color());
    Painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (FInput.empty() && FOutput.empty()) {
        Painter.setPen(palette().placeholderText().color());
        Painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, "Input and output outlines");
        return;
    }
    // Degrees of longitude shrink with the cosine of the latitude: the map keeps shapes as they are.
    TView View = ViewOf(FInput, FOutput);
    const double LonScale = std::max(0.05, std::cos((View.North + View.South) / 2 * M_PI / 180));
    const double Scale =
        std::min(width() / ((View.East - View.West) * LonScale), height() / (View.North - View.South));
    const double CentreLon = (View.East + View.West) / 2, CentreLat = (View.North + View.South) / 2;
    const auto ToPoint = [&](double Lon, double Lat) {
        return QPointF(width() / 2.0 + (Lon - CentreLon) * LonScale * Scale,
                       height() / 2.0 - (Lat - CentreLat) * Scale);
    };
    View.West = CentreLon - width() / 2.0 / (LonScale * Scale), View.East = 2 * CentreLon - View.West;
    View.South = CentreLat - height() / 2.0 / Scale, View.North = 2 * CentreLat - View.South;

    const double Step = GraticuleStep(std::max(View.East - View.West, View.North - View.South));
    QFont Small = font();
    Small.setPointSizeF(Small.pointSizeF() * 0.8);
    Painter.setFont(Small);
    Painter.setPen(QPen(palette().mid().color(), 0, Qt::DotLine));
    for (double Lon = std::ceil(View.West / Step) * Step; Lon <= View.East; Lon += Step) {
        const double X = ToPoint(Lon, 0).x();
        Painter.drawLine(QPointF(X, 0), QPointF(X, height()));
        Painter.drawText(QPointF(X + 2, height() - 3), DegreeText(Lon, Step));
    }
    for (double Lat = std::ceil(View.South / Step) * Step; Lat <= View.North; Lat += Step) {
        const double Y = ToPoint(0, Lat).y();
        Painter.drawLine(QPointF(0, Y), QPointF(width(), Y));
        Painter.drawText(QPointF(2, Y - 2), DegreeText(Lat, Step));
    }
    const auto Draw = [&](const std::vector<TLonLat>& Ring, QColor Colour, Qt::PenStyle Style) {
        QPainterPath Path;
        for (std::size_t i = 0; i < Ring.size(); ++i)
            i == 0 ? Path.moveTo(ToPoint(Ring[i].Lon, Ring[i].Lat))
                   : Path.lineTo(ToPoint(Ring[i].Lon, Ring[i].Lat));
        Painter.setPen(QPen(Colour, 2, Style));
        Colour.setAlpha(40);
        Painter.setBrush(Colour);
        Painter.drawPath(Path);
    };
    Draw(FInput, QColor(30, 90, 200), Qt::SolidLine);
    Draw(FOutput, QColor(200, 60, 30), Qt::DashLine);
}

} // namespace vortane
