# Sourced by the scripts that build or run the test build (address and
# undefined-behaviour checks): leaks count as findings, scripts/lsan.supp
# holds the only exceptions, one-time allocations of the libraries.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=0:strict_init_order=1:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The tests under Xvfb need no OpenGL; without it Mesa's driver, loaded and
# unloaded by Qt, leaves nothing to report under a name.
export QT_XCB_GL_INTEGRATION=none
