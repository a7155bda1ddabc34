"""GDAL reads our compressed, tiled and cloud-optimised GeoTIFF outputs as what they are: GDAL's own
COG validator accepts the --cog output (directories first, the smallest overview's tiles first), and
GDAL sees the compression, the blocks, the overviews, the nodata value and the alpha band, with the
cells and the georeferencing of the plain output of the same job.

Usage: test_gdal_reads_cog.py BIN_DIR (the folder holding vortane-cli, vortane-make-sample and the
catalogue).
"""
import os
import subprocess
import sys
import tempfile

from osgeo import gdal
from osgeo_utils.samples import validate_cloud_optimized_geotiff

gdal.UseExceptions()

# options, compression GDAL reports, block size, whether the cells equal the plain output's
OUTPUTS = {
    "cog.tif": (["--cog", "--nodata", "0"], "DEFLATE", 512, True),
    "cog_jpeg.tif": (["--cog", "--compress", "jpeg", "--tiled", "256"], "JPEG", 256, False),
    "zstd_tiles.tif": (["--compress", "zstd", "--tiled"], "ZSTD", 256, True),
    "lzw_strips.tif": (["--compress", "lzw"], "LZW", None, True),
}


def warp(bin_dir, sample, output, options):
    return subprocess.run([os.path.join(bin_dir, "vortane-cli"), "warp", "--quiet", "--input", sample,
                           "--output", output, "--in-spheroid", "WE", "--in-datum", "WGS84",
                           "--in-system", "NUTM34", "--out-spheroid", "WE", "--out-datum", "WGS84",
                           "--out-system", "NUTM35", "--step", "12.5"] + options,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)


def check(name, plain, options, compression, block, lossless, faults):
    image = gdal.Open(name)
    said = image.GetMetadata("IMAGE_STRUCTURE").get("COMPRESSION")
    if said != compression:
        faults.append(f"{name}: compression {said}, expected {compression}")
    band = image.GetRasterBand(1)
    if block and band.GetBlockSize() != [block, block]:
        faults.append(f"{name}: blocks {band.GetBlockSize()}, expected {block} x {block}")
    if image.GetGeoTransform() != plain.GetGeoTransform():
        faults.append(f"{name}: geotransform {image.GetGeoTransform()}, plain {plain.GetGeoTransform()}")
    if not image.GetSpatialRef().IsSame(plain.GetSpatialRef()):
        faults.append(f"{name}: another coordinate system than the plain output's")
    if lossless and image.ReadRaster() != plain.ReadRaster():
        faults.append(f"{name}: cells differ from the plain output's")
    if "--nodata" in options and band.GetNoDataValue() != 0:
        faults.append(f"{name}: nodata {band.GetNoDataValue()}, expected 0")
    if "--cog" not in options:
        return
    warnings, errors, _ = validate_cloud_optimized_geotiff.validate(image, full_check=True)
    faults.extend(f"{name}: COG validator: {error}" for error in errors)
    sizes = [(band.GetOverview(i).XSize, band.GetOverview(i).YSize) for i in range(band.GetOverviewCount())]
    expected, width, height = [], image.RasterXSize, image.RasterYSize
    while width > block or height > block:
        width, height = (width + 1) // 2, (height + 1) // 2
        expected.append((width, height))
    if not expected or sizes != expected:
        faults.append(f"{name}: overviews {sizes}, expected {expected}")


def check_alpha(bin_dir, sample, folder, faults):
    """The alpha band: GDAL names it so."""
    name = os.path.join(folder, "alpha.tif")
    run = warp(bin_dir, sample, name, ["--compress", "deflate", "--alpha"])
    if run.returncode != 0:
        faults.append(f"alpha.tif: {run.stderr}")
        return
    image = gdal.Open(name)
    last = image.GetRasterBand(image.RasterCount)
    if image.RasterCount != 4 or last.GetColorInterpretation() != gdal.GCI_AlphaBand:
        faults.append(f"alpha.tif: {image.RasterCount} bands, the last one not alpha")


def main(bin_dir):
    faults = []
    with tempfile.TemporaryDirectory() as folder:
        sample = os.path.join(folder, "sample.ers")
        subprocess.run([os.path.join(bin_dir, "vortane-make-sample"), sample], check=True,
                       stdout=subprocess.DEVNULL)
        plain_name = os.path.join(folder, "plain.tif")
        if warp(bin_dir, sample, plain_name, []).returncode != 0:
            sys.exit("the plain output failed")
        plain = gdal.Open(plain_name)
        for output, (options, compression, block, lossless) in OUTPUTS.items():
            name = os.path.join(folder, output)
            run = warp(bin_dir, sample, name, options)
            if run.returncode != 0:
                faults.append(f"{output}: {run.stderr}")
                continue
            check(name, plain, options, compression, block, lossless, faults)
        check_alpha(bin_dir, sample, folder, faults)
        leftovers = [entry for entry in os.listdir(folder) if ".level" in entry]
        if leftovers:
            faults.append(f"temporary files left: {leftovers}")
    if faults:
        sys.exit("\n".join(faults))
    print("GDAL reads every storage of our outputs as written")


if __name__ == "__main__":
    main(sys.argv[1])
