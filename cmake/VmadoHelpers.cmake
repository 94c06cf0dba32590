# Build helpers shared by every subsystem: one static library per source folder, linked only
# downward, all folded into the exported vmado (and vmado_ui) interface targets.

# Warnings and sanitizer flags for everything built here. Build-only: a consumer of the installed
# package chooses its own flags, so this target is never exported.
add_library(vmado_options INTERFACE)
target_compile_options(vmado_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
if(VMADO_SANITIZE)
    target_compile_options(vmado_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(vmado_options INTERFACE -fsanitize=address,undefined)
endif()

# vmado_subsystem(<name> [DEPS <targets>...] [INTERNAL <folders>...] [UI])
# Globs the folder's sources (internal/ included), makes the library vmado_<name> (shared with
# VMADO_SHARED, else static), installs its public headers under include/vmado/<folder>: not those
# in internal/ folders, not *Private.h, and nothing under the INTERNAL folders, which users reach
# only through the subsystem's public headers.
function(vmado_subsystem name)
    cmake_parse_arguments(ARG "UI" "" "DEPS;INTERNAL" ${ARGN})
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
        "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
    if(NOT srcs)
        return() # a folder whose first sources have not arrived yet
    endif()
    if(VMADO_SHARED)
        add_library(vmado_${name} SHARED ${srcs})
        # No <target>_EXPORTS define: the objects compile exactly as for the static library.
        set_target_properties(vmado_${name} PROPERTIES
            VERSION ${PROJECT_VERSION} SOVERSION ${VMADO_SOVERSION} DEFINE_SYMBOL "")
    else()
        add_library(vmado_${name} STATIC ${srcs})
    endif()
    target_include_directories(vmado_${name} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/vmado>)
    target_link_libraries(vmado_${name} PUBLIC $<BUILD_INTERFACE:vmado_options> ${ARG_DEPS})
    if(VMADO_SANITIZE)
        # A sanitized library needs the sanitizer runtimes in whatever links it; only that link
        # flag is passed on, never the compile flags.
        target_link_options(vmado_${name} INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
    endif()
    set_target_properties(vmado_${name} PROPERTIES EXPORT_NAME ${name})
    install(TARGETS vmado_${name} EXPORT vmadoTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}/src" "${CMAKE_CURRENT_SOURCE_DIR}")
    set(excluded PATTERN "internal" EXCLUDE PATTERN "*Private.h" EXCLUDE)
    foreach(dir IN LISTS ARG_INTERNAL)
        string(REGEX REPLACE "[][.*+?^$()|\\]" "\\\\\\0" dir_re "${CMAKE_CURRENT_SOURCE_DIR}/${dir}")
        list(APPEND excluded REGEX "^${dir_re}(/|$)" EXCLUDE)
    endforeach()
    install(DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/vmado/${rel}"
        FILES_MATCHING PATTERN "*.h" ${excluded})
    if(ARG_UI)
        set_property(GLOBAL APPEND PROPERTY VMADO_UI_SUBSYSTEMS vmado_${name})
    else()
        set_property(GLOBAL APPEND PROPERTY VMADO_SUBSYSTEMS vmado_${name})
    endif()
endfunction()

# vmado_test(<name> LABELS <labels>... DEPS <targets>... [SOURCES <files>...] [QT])
# One GoogleTest executable; every test case becomes a CTest test carrying the labels.
# Without SOURCES it takes the *.cpp files of the current folder. QT tests get a main that makes
# the QApplication (offscreen unless QT_QPA_PLATFORM says otherwise) and link Qt's test library.
function(vmado_test name)
    cmake_parse_arguments(ARG "QT" "" "LABELS;DEPS;SOURCES" ${ARGN})
    if(NOT ARG_SOURCES)
        file(GLOB ARG_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    endif()
    if(ARG_QT)
        find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
        add_executable(test_${name} ${ARG_SOURCES} "${PROJECT_SOURCE_DIR}/tests/common/QtTestMain.cpp")
        set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} Qt6::Widgets Qt6::Test GTest::gtest GTest::gmock)
    else()
        add_executable(test_${name} ${ARG_SOURCES})
        target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest_main GTest::gmock)
    endif()
    target_include_directories(test_${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    target_compile_definitions(test_${name} PRIVATE
        VMADO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VMADO_SHARED_DATA_DIR="${PROJECT_SOURCE_DIR}/../shared/data")
    gtest_discover_tests(test_${name}
        PROPERTIES LABELS "${ARG_LABELS}"
        DISCOVERY_TIMEOUT 60)
endfunction()
