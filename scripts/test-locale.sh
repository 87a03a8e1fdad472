# The locale the test suite runs under; test.sh, tsan.sh and seed-faults.sh
# source this before they run ctest (install-deps.sh generates the locale).
# The Qt application object takes it with setlocale(LC_ALL, ""), so its
# decimal comma shows every number read or written through the C library's
# locale (std::stod, printf "%f"), where the device, the files and the tests
# want a decimal point.
export LANG=de_DE.UTF-8
export LC_ALL=de_DE.UTF-8
