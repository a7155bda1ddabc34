"""GDAL and vortane place ER Mapper images alike: headers in the shapes other software writes (comments,
degrees:minutes:seconds, registration cell 1,1, HeaderOffset, DataFile) and our own outputs give GDAL's
geotransform, and one job written as .ers and as .tif opens in GDAL with the same geotransform.

Usage: test_gdal_ers_registration.py BIN_DIR (the folder holding vortane-cli, vortane-make-sample and the
catalogue).
"""
import os
import struct
import subprocess
import sys
import tempfile

from osgeo import gdal

gdal.UseExceptions()

# Written from ER Mapper's published header layout, the way other programs write it.
HEADERS = {
    "dms.ers": ("""# Written by another program: a comment before the header
DatasetHeader Begin
\tVersion\t\t= "7.0"
\tDataFile\t= "dms_cells.bin"
\tHeaderOffset\t= 16
\tDataSetType\t= ERStorage
\tDataType\t= Raster
\tByteOrder\t= MSBFirst
\tCoordinateSpace Begin
\t\tDatum\t\t= "WGS84"
\t\tProjection\t= "GEODETIC"
\t\tCoordinateType\t= LL
\t\tRotation\t= 0:0:0.0
\tCoordinateSpace End
\tRasterInfo Begin
\t\tCellType\t= Unsigned16BitInteger
\t\tNullCellValue\t= 0
\t\tCellInfo Begin
\t\t\tXdimension\t= 0.0025
\t\t\tYdimension\t= 0.00125
\t\tCellInfo End
\t\tNrOfLines\t= 4
\t\tNrOfCellsPerLine\t= 5
\t\tRegistrationCellX\t= 1
\t\tRegistrationCellY\t= 1
\t\tRegistrationCoord Begin
\t\t\tLongitude\t= 23:30:15.5
\t\t\tLatitude\t= -33:52:5.1
\t\tRegistrationCoord End
\t\tNrOfBands\t= 1
\t\tBandId Begin
\t\t\tValue\t\t= "Band 1"
\t\tBandId End
\tRasterInfo End
DatasetHeader End
""", {"cells": "dms_cells.bin", "offset": 16, "cell": ">H", "bands": 1}),
    "utm.ers": ("""DatasetHeader Begin
\tVersion\t\t= "6.0"
\tDataSetType\t= ERStorage
\tDataType\t= Raster
\tByteOrder\t= LSBFirst
\tCoordinateSpace Begin
\t\tDatum\t\t= "WGS84"   # the data set's own datum
\t\tProjection\t= "NUTM34"
\t\tCoordinateType\t= EN
\t\tUnits\t\t= "METERS"
\tCoordinateSpace End
# Comment in the middle
\tRasterInfo Begin
\t\tCellType\t= Unsigned8BitInteger   # comment at the end of a line
\t\tCellInfo Begin
\t\t\tXdimension\t= 30
\t\t\tYdimension\t= 25
\t\tCellInfo End
\t\tNrOfLines\t= 4
\t\tNrOfCellsPerLine\t= 5
\t\tRegistrationCoord Begin
\t\t\tEastings\t= 440720
\t\t\tNorthings\t= 3751320
\t\tRegistrationCoord End
\t\tRegistrationCellX\t= 2.5
\t\tRegistrationCellY\t= 1
\t\tNrOfBands\t= 3
\tRasterInfo End
DatasetHeader End
""", {"cells": "utm", "offset": 0, "cell": "<B", "bands": 3}),
}


def vortane_geotransform(bin_dir, image):
    """Ours, as GDAL states it: `info` gives the centre of cell (0, 0), GDAL the cell's top-left corner."""
    out = subprocess.run([os.path.join(bin_dir, "vortane-cli"), "info", image], check=True,
                         capture_output=True, text=True).stdout
    info = dict(line.split(": ", 1) for line in out.splitlines())
    size_x, size_y = float(info["cell size x"]), float(info["cell size y"])
    return (float(info["origin x"]) - size_x / 2, size_x, 0.0, float(info["origin y"]) + size_y / 2, 0.0, -size_y)


def same(first, second):
    tolerance = 1e-6 * abs(first[1])
    return all(abs(a - b) <= tolerance for a, b in zip(first, second))


def check(name, ours, gdals):
    if not same(ours, gdals):
        sys.exit(f"{name}: GDAL's geotransform {gdals}, ours {ours}")


def write_headers(work):
    """Each header with its cell file: 5 x 4 cells per band, after its offset."""
    for name, (text, data) in HEADERS.items():
        with open(os.path.join(work, name), "w", encoding="ascii") as header:
            header.write(text)
        count = 5 * 4 * data["bands"]  # "cell": byte order and struct type
        with open(os.path.join(work, data["cells"]), "wb") as cells:
            cells.write(b"\xee" * data["offset"])
            cells.write(struct.pack(data["cell"][0] + data["cell"][-1] * count, *range(count)))


def warp(bin_dir, source, output):
    subprocess.run([os.path.join(bin_dir, "vortane-cli"), "warp", "--quiet", "--input", source, "--output",
                    output, "--in-spheroid", "WE", "--in-datum", "WGS84", "--in-system", "NUTM34",
                    "--out-spheroid", "WE", "--out-datum", "WGS84", "--out-system", "NUTM35"],
                   check=True, stdout=subprocess.DEVNULL)


def main(bin_dir):
    with tempfile.TemporaryDirectory() as work:
        write_headers(work)
        for name in HEADERS:
            image = os.path.join(work, name)
            check(name, vortane_geotransform(bin_dir, image), gdal.Open(image).GetGeoTransform())

        sample = os.path.join(work, "sample.ers")
        subprocess.run([os.path.join(bin_dir, "vortane-make-sample"), sample], check=True,
                       stdout=subprocess.DEVNULL)
        check("sample.ers", vortane_geotransform(bin_dir, sample), gdal.Open(sample).GetGeoTransform())
        ers, tif = os.path.join(work, "job.ers"), os.path.join(work, "job.tif")
        warp(bin_dir, sample, ers)
        warp(bin_dir, sample, tif)
        check("job.ers", vortane_geotransform(bin_dir, ers), gdal.Open(ers).GetGeoTransform())
        check("job.ers against job.tif", gdal.Open(tif).GetGeoTransform(), gdal.Open(ers).GetGeoTransform())


if __name__ == "__main__":
    main(sys.argv[1])
