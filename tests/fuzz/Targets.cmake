# The fuzz targets, one line each:
#   pn_fuzz_target(<name> [MAX_LEN <bytes>] <libraries>...)
# builds tests/fuzz/fuzz_<name>.cpp against the libraries it reads through.
# MAX_LEN is the largest input the fuzzer makes (libFuzzer's -max_len, which
# otherwise follows the largest seed); every seed must fit it, which the
# replay test checks. Included by tests/fuzz/Replay.cmake (the replay runners
# of the normal test build) and by tests/fuzz/CMakeLists.txt (the libFuzzer
# programs, PN_FUZZ).
pn_fuzz_target(ascii_hex Pennaform)
pn_fuzz_target(ascii85 Pennaform)
pn_fuzz_target(run_length Pennaform)
pn_fuzz_target(flate Pennaform)
pn_fuzz_target(object_parse MAX_LEN 4096 Pennaform)
pn_fuzz_target(dct Pennaform)
pn_fuzz_target(ccitt Pennaform)
pn_fuzz_target(image_import Pennaform TIFF::TIFF)
pn_fuzz_target(damaged_doc Pennaform)
pn_fuzz_target(install_info FennickCore)
pn_fuzz_target(installer_output FennickInstallerCore)
pn_fuzz_target(convert_one OstrelCore TIFF::TIFF)
pn_fuzz_target(cmap Pennaform)
pn_fuzz_target(afm Pennaform)
pn_fuzz_target(font Pennaform)
