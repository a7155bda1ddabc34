"""GeoTIFFs GDAL writes in a dozen systems (by EPSG code, and two spelt out as PROJ strings, which GDAL
writes as user-defined keys) are read back by `vortane-cli info` with the catalogue's names and EPSG
code: without world files, compressed (the libtiff reader) and beside a world file as well.

Usage: test_vortane_reads_gdal_systems.py BIN_DIR (the folder holding vortane-cli and the catalogue).
"""
import math
import os
import subprocess
import sys
import tempfile

from osgeo import gdal

gdal.UseExceptions()

# EPSG code, a top-left corner inside its area (map units), catalogue spheroid, datum and system.
BY_CODE = [
    (32634, (500000, 5000000), "WE", "WGS84", "NUTM34"),
    (32733, (500000, 7000000), "WE", "WGS84", "SUTM33"),
    (27700, (400000, 300000), "AA", "OSGB36", "BNG"),
    (31370, (150000, 170000), "IN", "BD72", "BELGE_LAMBERT72"),
    (2154, (700000, 6600000), "RF", "ETRS89", "LAMBERT93"),
    (28992, (155000, 463000), "BR", "Amersfoort", "RD_NEW"),
    (3844, (500000, 500000), "KA", "Pulkovo1942(58)", "STEREO70"),
    (3006, (500000, 6500000), "RF", "ETRS89", "SWEREF99_TM"),
    (23034, (500000, 5000000), "IN", "ED50", "NUTM34"),
    (25832, (500000, 5500000), "RF", "ETRS89", "ETRS89_UTM32"),
    (28404, (4500000, 6000000), "KA", "Pulkovo1942", "TMGKN04"),
    (4326, (21.5, 47.25), "WE", "WGS84", "Geographic:(decimal degrees)"),
]

# PROJ strings GDAL writes as user-defined keys: matched to the catalogue by their values.
BY_PARAMETERS = [
    ("+proj=sterea +lat_0=52.1561605555556 +lon_0=5.38763888888889 +k=0.9999079 +x_0=155000 +y_0=463000 "
     "+ellps=bessel +towgs84=565.2369,50.0087,465.658,-0.406857,0.350733,-1.87035,4.0812 +units=m +no_defs",
     (155000, 463000), "BR", "Amersfoort", "RD_NEW", "28992"),
    ("+proj=lcc +lat_0=46.5 +lon_0=3 +lat_1=49 +lat_2=44 +x_0=700000 +y_0=6600000 +ellps=GRS80 "
     "+towgs84=0,0,0,0,0,0,0 +units=m +no_defs",
     (700000, 6600000), "RF", "ETRS89", "LAMBERT93", "2154"),
]


def info(bin_dir, path):
    run = subprocess.run([os.path.join(bin_dir, "vortane-cli"), "info", path], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"vortane-cli info {path} failed: {run.stderr}")
    return dict(line.split(": ", 1) for line in run.stdout.splitlines())


def translate(base, out, srs, corner, cell, options=()):
    x, y = corner
    gdal.Translate(out, base, outputSRS=srs, outputBounds=[x, y, x + 8 * cell, y - 6 * cell],
                   creationOptions=list(options))


def check(bin_dir, path, expected, source, failures):
    lines = info(bin_dir, path)
    found = tuple(lines.get(key) for key in
                  ("catalogue spheroid", "catalogue datum", "catalogue system", "epsg code", "system source"))
    if found != expected + (source,):
        failures.append(f"{os.path.basename(path)}: {found}, expected {expected + (source,)}")
    return lines


def main(bin_dir):
    failures = []
    with tempfile.TemporaryDirectory() as work:
        base = os.path.join(work, "base.tif")
        image = gdal.GetDriverByName("GTiff").Create(base, 8, 6, 1, gdal.GDT_Byte)
        image.GetRasterBand(1).Fill(100)
        image = None
        for code, corner, spheroid, datum, system in BY_CODE:
            cell = 0.001 if code == 4326 else 25
            expected = (spheroid, datum, system, str(code))
            tif = os.path.join(work, f"epsg{code}.tif")
            translate(base, tif, f"EPSG:{code}", corner, cell)
            if os.path.exists(tif[:-4] + ".tfw"):
                sys.exit("GDAL wrote a world file: the keys alone must name the system")
            lines = check(bin_dir, tif, expected, "GeoTIFF EPSG code", failures)
            if code == 4326:  # placed in radians, at the centre of the top-left cell
                origin = (float(lines["origin x"]), float(lines["origin y"]))
                centre = (math.radians(corner[0] + cell / 2), math.radians(corner[1] - cell / 2))
                if not all(math.isclose(o, c, rel_tol=1e-12) for o, c in zip(origin, centre)):
                    failures.append(f"EPSG:4326 origin {origin}, expected {centre}")
            if code == 27700:  # compressed: read through libtiff; beside a world file: keys still count
                lzw = os.path.join(work, "lzw.tif")
                translate(base, lzw, "EPSG:27700", corner, cell, ["COMPRESS=LZW"])
                check(bin_dir, lzw, expected, "GeoTIFF EPSG code", failures)
                world = os.path.join(work, "world.tif")
                translate(base, world, "EPSG:27700", corner, cell, ["TFW=YES"])
                check(bin_dir, world, expected, "GeoTIFF EPSG code", failures)
        for index, (proj, corner, spheroid, datum, system, code) in enumerate(BY_PARAMETERS):
            tif = os.path.join(work, f"user{index}.tif")
            translate(base, tif, proj, corner, 25)
            check(bin_dir, tif, (spheroid, datum, system, code), "GeoTIFF parameters", failures)
    if failures:
        sys.exit("\n".join(failures))


if __name__ == "__main__":
    main(sys.argv[1])
