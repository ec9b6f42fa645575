# Fails the build when a source file includes a header of a layer above its own. Each
# layer names the folders it may include from: the layers below it, and itself.
#   cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
cmake_policy(SET CMP0057 NEW)  # IN_LIST in if()

set(layers link stats reports logbook sim cli app)
set(allowed_link link)
set(allowed_stats link stats)
set(allowed_reports link stats reports)
set(allowed_logbook link stats logbook)
set(allowed_sim link stats sim)
set(allowed_cli link stats reports logbook sim cli)
set(allowed_app link stats reports logbook sim app)
# Single headers a layer may include from above it, until they move down to it: the
# memory map says where the module keeps its status byte, the address Find Module's probe sets.
set(exceptions_link "stats/MemoryMap.h")

set(faults "")
foreach(layer IN LISTS layers)
    file(GLOB sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^#include \"[a-z]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
            if(NOT target IN_LIST allowed_${layer} AND NOT header IN_LIST exceptions_${layer})
                file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
                string(REPLACE ";" ", " may "${allowed_${layer}}")
                string(APPEND faults "  ${shown}: ${line} (${layer} may include only ${may})\n")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults)
    message(FATAL_ERROR "Includes that run up a layer:\n${faults}")
endif()
