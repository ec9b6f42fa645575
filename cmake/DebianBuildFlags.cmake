# Debian's build flags for the release and package builds: what dpkg-buildflags gives with
# every hardening feature on (fortified string functions, stack protector, relro and
# immediate binding), as a Debian package of Runlog would be built. The sanitizer and
# fuzzing builds go without: fortified functions get in the way of their instrumentation.
if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$" AND NOT RUNLOG_SANITIZE AND NOT RUNLOG_FUZZ)
    set(debian_flags_default ON)
else()
    set(debian_flags_default OFF)
endif()
option(RUNLOG_DEBIAN_FLAGS "Compile and link with dpkg-buildflags (hardening=+all)" ${debian_flags_default})

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(RUNLOG_DEBIAN_FLAGS AND DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE debian_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE)
    endforeach()
    separate_arguments(debian_compile UNIX_COMMAND "${debian_CPPFLAGS} ${debian_CXXFLAGS}")
    # The build type keeps its own optimisation and debug-information flags.
    list(FILTER debian_compile EXCLUDE REGEX "^(-O.*|-g)$")
    separate_arguments(debian_link UNIX_COMMAND "${debian_LDFLAGS}")
    add_compile_options(${debian_compile})
    add_link_options(${debian_link})
    message(STATUS "Debian build flags: ${debian_compile} ${debian_link}")
elseif(RUNLOG_DEBIAN_FLAGS)
    message(STATUS "Debian build flags: dpkg-buildflags not found, none used")
endif()
