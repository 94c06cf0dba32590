# Fails when a source of the connection wrapper (the files beside ADOApi.h) includes an engine
# header other than the engine's peek view: the wrapper must keep working whatever the engine's
# cursor and providers look like inside.
# Usage: cmake -DADO_DIR=<src/ado> -P WrapperIncludes.cmake
cmake_minimum_required(VERSION 3.25)
set(allowed "ado/engine/internal/CellPeek.h")
file(GLOB wrapper_files "${ADO_DIR}/*.cpp" "${ADO_DIR}/*.h")
if(NOT wrapper_files)
    message(FATAL_ERROR "no wrapper sources in ${ADO_DIR}")
endif()
set(offences "")
foreach(file IN LISTS wrapper_files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]ado/engine/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[^\"<]*[\"<]([^\">]*)[\">].*$" "\\1" header "${line}")
        if(NOT header IN_LIST allowed)
            get_filename_component(name "${file}" NAME)
            list(APPEND offences "${name} includes ${header}")
        endif()
    endforeach()
endforeach()
if(offences)
    list(JOIN offences "\n  " text)
    message(FATAL_ERROR "the connection wrapper reaches into the engine:\n  ${text}\n"
                        "read cells through ${allowed} instead")
endif()
