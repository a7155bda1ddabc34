#pragma once
// A small map of where a run's input lies and where its output will: both outlines in degrees over a
// graticule, drawn from the plan alone (no map tiles, no network).

#include "job/output_plan.hpp"

#include <QWidget>

namespace vortane {

class TFootprintMap : public QWidget {
public:
    explicit TFootprintMap(QWidget* Parent = nullptr);

    // The outlines to draw; an empty plan shows the map's caption only.
    void SetOutlines(std::vector<TLonLat> Input, std::vector<TLonLat> Output);
    QSize sizeHint() const override { return {220, 150}; }
    QSize minimumSizeHint() const override { return {140, 90}; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    std::vector<TLonLat> FInput, FOutput;
};

} // namespace vortane
