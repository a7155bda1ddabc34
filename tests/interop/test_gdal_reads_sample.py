"""GDAL opens the bundled sample image and a warp of it into a TIFF with its bands and cell size.

Usage: test_gdal_reads_sample.py BIN_DIR (the folder holding vortane-cli, vortane-make-sample and the
catalogue).
"""
import os
import subprocess
import sys
import tempfile

from osgeo import gdal

gdal.UseExceptions()


def main(bin_dir):
    with tempfile.TemporaryDirectory() as work:
        sample = os.path.join(work, "sample.ers")
        subprocess.run([os.path.join(bin_dir, "vortane-make-sample"), sample], check=True,
                       stdout=subprocess.DEVNULL)
        tif = os.path.join(work, "same.tif")
        subprocess.run([os.path.join(bin_dir, "vortane-cli"), "warp", "--quiet", "--input", sample,
                        "--output", tif, "--in-spheroid", "WE", "--in-datum", "WGS84", "--in-system", "NUTM34",
                        "--out-spheroid", "WE", "--out-datum", "WGS84", "--out-system", "NUTM34"],
                       check=True, stdout=subprocess.DEVNULL)
        image = gdal.Open(tif)
        source = gdal.Open(sample)
        if image.RasterCount != source.RasterCount:
            sys.exit(f"{image.RasterCount} bands, the sample has {source.RasterCount}")
        cells = (image.GetGeoTransform()[1], image.GetGeoTransform()[5])
        expected = (source.GetGeoTransform()[1], source.GetGeoTransform()[5])
        if cells != expected:
            sys.exit(f"cell size {cells}, the sample's is {expected}")


if __name__ == "__main__":
    main(sys.argv[1])
