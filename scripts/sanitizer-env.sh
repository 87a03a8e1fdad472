# Sourced by the test and fuzz scripts (after setting ROOT to the checkout):
# every sanitizer report is fatal. The suppressions cover reports inside
# system libraries only.
_supp="${ROOT:-$(pwd)}/scripts/sanitizer-suppressions"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=0:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$_supp/ubsan.supp"
export LSAN_OPTIONS="suppressions=$_supp/lsan.supp:print_suppressions=0"
# Read by ThreadSanitizer builds only (see the README).
export TSAN_OPTIONS="suppressions=$_supp/tsan.supp"
export QT_QPA_PLATFORM=offscreen
