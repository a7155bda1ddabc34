"""GDAL reads the coordinate system of our outputs, in every output format a GIS opens, as the system the
job wrote and places them where the GeoTIFF lies.

The GeoTIFF carries the system in its keys (the EPSG code where the catalogue's table has one, else
the projection's parameters); ER Mapper, JPEG and BMP outputs carry it in "<output>.aux.xml".

Each job starts from a small image on WGS 84 (a TIFF in radians with its world file) inside the
system's area.

Usage: test_gdal_reads_output_systems.py BIN_DIR (the folder holding vortane-cli and the catalogue).
"""
import math
import os
import subprocess
import sys
import tempfile

from osgeo import gdal, osr

gdal.UseExceptions()

# spheroid, datum, system, what GDAL must read: the EPSG code, or for systems defined by their
# parameters the PROJ text of those parameters; step; longitude and latitude of the input (degrees)
SYSTEMS = [
    ("WE", "WGS84", "NUTM34", 32634, 100, 21, 52),
    ("WE", "WGS84", "SUTM34", 32734, 100, 21, -30),
    ("AA", "OSGB36", "BNG", 27700, 100, -1.5, 52.5),
    ("IN", "BD72", "BELGE_LAMBERT72", 31370, 100, 4.5, 50.8),
    ("RF", "ETRS89", "LAMBERT93", 2154, 100, 2.5, 46.5),
    ("BR", "Amersfoort", "RD_NEW", 28992, 100, 5.4, 52.1),
    ("KA", "Pulkovo1942(58)", "STEREO70", 3844, 100, 25, 46),
    ("RF", "ETRS89", "SWEREF99_TM", 3006, 100, 15, 60),
    ("IN", "ED50", "NUTM35", 23035, 100, 27, 45),
    # Radians, the unit of the cells, on the datum of EPSG:4326.
    ("WE", "WGS84", "Geographic:(decimal degrees)", "+proj=longlat +datum=WGS84 +no_defs", 0.00002, 21, 52),
    # A zone grid's eastings carry the zone: zone 34 has its false easting at 34 500 000.
    ("WE", "WGS84", "UTM_North",
     "+proj=tmerc +lat_0=0 +lon_0=21 +k=0.9996 +x_0=34500000 +y_0=0 +ellps=WGS84 +towgs84=0,0,0,0,0,0,0 "
     "+units=m +no_defs", 100, 21, 52),
    # No EPSG code: the ellipsoid and the datum's seven parameters.
    ("KA", "Pulkovo1942", "NUTM35",
     "+proj=utm +zone=35 +ellps=krass +towgs84=25,-141,-78.5,0,0.35,0.736,0 +units=m +no_defs", 100, 27, 55),
]
INPUT_CELL = 0.00002  # radians, about 130 m of latitude
SIDE_FILE_FORMATS = [".ers", ".jpg", ".bmp"]


def write_input(name, lon, lat):
    """A 40 x 30 colour image on WGS 84, its top-left corner at (lon, lat) degrees, in radians."""
    image = gdal.GetDriverByName("GTiff").Create(name, 40, 30, 3, gdal.GDT_Byte, ["TFW=YES"])
    image.SetGeoTransform([math.radians(lon), INPUT_CELL, 0, math.radians(lat), 0, -INPUT_CELL])
    for band in range(1, 4):
        image.GetRasterBand(band).Fill(60 * band)
    image = None


def warp(bin_dir, source, output, spheroid, datum, system, step):
    result = subprocess.run([os.path.join(bin_dir, "vortane-cli"), "warp", "--quiet", "--input", source,
                             "--output", output, "--in-spheroid", "WE", "--in-datum", "WGS84",
                             "--in-system", "Geographic:(decimal degrees)", "--out-spheroid", spheroid,
                             "--out-datum", datum, "--out-system", system, "--step", str(step)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise AssertionError(f"{system} {output}: {result.stderr}")


def srs_of(dataset, name):
    srs = dataset.GetSpatialRef()
    if srs is None:
        raise AssertionError(f"{name}: GDAL reads no coordinate system")
    return srs


def check_tiff(tif, expected, faults):
    image = gdal.Open(tif)
    srs = srs_of(image, tif)
    if isinstance(expected, int) and srs.GetAuthorityCode(None) != str(expected):
        faults.append(f"{tif}: EPSG {srs.GetAuthorityCode(None)}, expected {expected}")
    if isinstance(expected, str) and srs.ExportToProj4() != expected:
        faults.append(f"{tif}: {srs.ExportToProj4()}, expected {expected}")
    if srs.IsGeographic() and srs.GetAngularUnitsName().lower() != "radian":
        faults.append(f"{tif}: angular unit {srs.GetAngularUnitsName()}, the cells hold radians")
    return srs, image.GetGeoTransform()


def check_same_place(name, transform, expected, faults):
    for index in range(6):
        tolerance = 1e-9 * max(1.0, abs(expected[index]))
        if abs(transform[index] - expected[index]) > tolerance:
            faults.append(f"{name}: geotransform {transform}, the GeoTIFF's is {expected}")
            return


def main(bin_dir):
    faults = []
    with tempfile.TemporaryDirectory() as work:
        for number, (spheroid, datum, system, code, step, lon, lat) in enumerate(SYSTEMS):
            sample = os.path.join(work, f"in{number}.tif")
            write_input(sample, lon, lat)
            base = os.path.join(work, f"out{number}")
            warp(bin_dir, sample, base + ".tif", spheroid, datum, system, step)
            tif_srs, tif_transform = check_tiff(base + ".tif", code, faults)
            for extension in SIDE_FILE_FORMATS:
                output = base + extension
                warp(bin_dir, sample, output, spheroid, datum, system, step)
                image = gdal.Open(output)
                srs = srs_of(image, f"{system} {output}")
                # Systems defined by their parameters carry names of their own in each form.
                same = srs.IsSame(tif_srs) or \
                    (isinstance(code, str) and srs.ExportToProj4() == tif_srs.ExportToProj4())
                if not same:
                    faults.append(f"{system} {output}: {srs.ExportToWkt()} is not the GeoTIFF's "
                                  f"{tif_srs.ExportToWkt()}")
                check_same_place(f"{system} {output}", image.GetGeoTransform(), tif_transform, faults)
    if faults:
        sys.exit("\n".join(faults))


if __name__ == "__main__":
    main(sys.argv[1])
