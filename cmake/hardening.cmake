# Release builds get the hardening a distribution gives its packages:
# fortified string and memory functions (checked against the sizes the
# compiler knows), a strong stack protector, format strings checked,
# position independent programs, and a relocation table that is bound at
# start and then made read-only (relro, bindnow).
#
# Left out where it would get in the way: the sanitizer and fuzz builds
# (their own instrumentation checks the same and more) and the Windows
# programs, which MinGW links statically and whose fortified functions need
# a library of their own.
option(HARDENING "Harden release builds (fortify, stack protector, PIE, relro, bindnow)" ON)
if(NOT HARDENING OR WIN32 OR FUZZ OR CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(release_configs "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
add_compile_options(
  "$<${release_configs}:-U_FORTIFY_SOURCE>"
  "$<${release_configs}:-D_FORTIFY_SOURCE=2>"
  "$<${release_configs}:-fstack-protector-strong>"
  "$<${release_configs}:-Wformat>"
  "$<${release_configs}:-Werror=format-security>")
add_link_options(
  "$<${release_configs}:LINKER:-z,relro>"
  "$<${release_configs}:LINKER:-z,now>")
