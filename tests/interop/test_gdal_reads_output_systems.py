"""GDAL reads the coordinate system of our outputs, in every output format a GIS opens, as the system the
job wrote and places them where the GeoTIFF lies.

The GeoTIFF carries the system in its keys (the EPSG code where the catalogue's table has one, else
the projection's parameters); ER Mapper, JPEG and BMP outputs carry it in "<output>.aux.xml".

ER Mapper registration is compared with half a cell of allowance: whether RegistrationCoord is the
corner or the centre of its cell is settled apart from the system the file declares.

Usage: test_gdal_reads_output_systems.py BIN_DIR (the folder holding vortane-cli, vortane-make-sample
and the catalogue).
"""
import os
import subprocess
import sys
import tempfile

from osgeo import gdal, osr

gdal.UseExceptions()

# spheroid, datum, system, what GDAL must read: the EPSG code, or for systems defined by their
# parameters the PROJ text of those parameters; step
SYSTEMS = [
    ("WE", "WGS84", "NUTM34", 32634, 100),
    ("WE", "WGS84", "SUTM34", 32734, 100),
    ("AA", "OSGB36", "BNG", 27700, 100),
    ("IN", "BD72", "BELGE_LAMBERT72", 31370, 100),
    ("RF", "ETRS89", "LAMBERT93", 2154, 100),
    ("BR", "Amersfoort", "RD_NEW", 28992, 100),
    ("KA", "Pulkovo1942(58)", "STEREO70", 3844, 100),
    ("RF", "ETRS89", "SWEREF99_TM", 3006, 100),
    ("IN", "ED50", "NUTM35", 23035, 100),
    # Radians, the unit of the cells, on the datum of EPSG:4326.
    ("WE", "WGS84", "Geographic:(decimal degrees)", "+proj=longlat +datum=WGS84 +no_defs", 0.00002),
    # A zone grid's eastings carry the zone: zone 34 has its false easting at 34 500 000.
    ("WE", "WGS84", "UTM_North",
     "+proj=tmerc +lat_0=0 +lon_0=21 +k=0.9996 +x_0=34500000 +y_0=0 +ellps=WGS84 +towgs84=0,0,0,0,0,0,0 "
     "+units=m +no_defs", 100),
    # No EPSG code: the ellipsoid and the datum's seven parameters.
    ("KA", "Pulkovo1942", "NUTM35",
     "+proj=utm +zone=35 +ellps=krass +towgs84=25,-141,-78.5,0,0.35,0.736,0 +units=m +no_defs", 100),
]
SIDE_FILE_FORMATS = [".ers", ".jpg", ".bmp"]


def warp(bin_dir, sample, output, spheroid, datum, system, step):
    subprocess.run([os.path.join(bin_dir, "vortane-cli"), "warp", "--quiet", "--input", sample,
                    "--output", output, "--in-spheroid", "WE", "--in-datum", "WGS84", "--in-system", "NUTM34",
                    "--out-spheroid", spheroid, "--out-datum", datum, "--out-system", system,
                    "--step", str(step)], check=True, stdout=subprocess.DEVNULL)


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


def check_same_place(name, transform, expected, allowance, faults):
    cell = abs(expected[1])
    for index in range(6):
        tolerance = allowance * cell + 1e-9 * max(1.0, abs(expected[index]))
        if abs(transform[index] - expected[index]) > tolerance:
            faults.append(f"{name}: geotransform {transform}, the GeoTIFF's is {expected}")
            return


def main(bin_dir):
    faults = []
    with tempfile.TemporaryDirectory() as work:
        sample = os.path.join(work, "sample.ers")
        subprocess.run([os.path.join(bin_dir, "vortane-make-sample"), sample], check=True,
                       stdout=subprocess.DEVNULL)
        for number, (spheroid, datum, system, code, step) in enumerate(SYSTEMS):
            base = os.path.join(work, f"out{number}")
            warp(bin_dir, sample, base + ".tif", spheroid, datum, system, step)
            tif_srs, tif_transform = check_tiff(base + ".tif", code, faults)
            for extension in SIDE_FILE_FORMATS:
                output = base + extension
                warp(bin_dir, sample, output, spheroid, datum, system, step)
                image = gdal.Open(output)
                srs = srs_of(image, f"{system} {output}")
                # Systems defined by their parameters carry names of their own in each form.
                same = srs.IsSame(tif_srs) if isinstance(code, int) else \
                    srs.ExportToProj4() == tif_srs.ExportToProj4()
                if not same:
                    faults.append(f"{system} {output}: {srs.ExportToWkt()} is not the GeoTIFF's "
                                  f"{tif_srs.ExportToWkt()}")
                allowance = 0.5 if extension == ".ers" else 0.0
                check_same_place(f"{system} {output}", image.GetGeoTransform(), tif_transform, allowance,
                                 faults)
    if faults:
        sys.exit("\n".join(faults))


if __name__ == "__main__":
    main(sys.argv[1])
