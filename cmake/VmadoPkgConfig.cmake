# Writes vmado.pc for the non-Qt library (the subsystems folded into vmado::vmado) and installs it
# under <libdir>/pkgconfig. Paths are relative to the file itself, so the installed tree may move.
# Static libraries list their dependencies as public requirements: a plain `pkg-config --libs`
# must give a link line that works.

get_property(pc_subsystems GLOBAL PROPERTY VMADO_SUBSYSTEMS)
# Registered bottom-up; a static link needs each library before the ones it uses.
list(REVERSE pc_subsystems)
set(VMADO_PC_LIBS "")
foreach(target IN LISTS pc_subsystems)
    string(APPEND VMADO_PC_LIBS " -l${target}")
endforeach()

set(VMADO_PC_REQUIRES "sqlite3")
set(VMADO_PC_CFLAGS "")
if(VMADO_WITH_ODBC)
    string(APPEND VMADO_PC_REQUIRES " odbc")
    string(APPEND VMADO_PC_CFLAGS " -DVMADO_WITH_ODBC=1")
else()
    string(APPEND VMADO_PC_CFLAGS " -DVMADO_WITH_ODBC=0")
endif()
if(VMADO_SHARED)
    set(VMADO_PC_REQUIRES_FIELD "Requires.private")
    set(VMADO_PC_LIBS_PRIVATE "-pthread")
else()
    set(VMADO_PC_REQUIRES_FIELD "Requires")
    string(APPEND VMADO_PC_LIBS " -pthread")
    set(VMADO_PC_LIBS_PRIVATE "")
endif()
if(VMADO_SANITIZE)
    # Only the runtimes, as for the CMake package: the consumer's own code keeps its own flags.
    string(APPEND VMADO_PC_LIBS " -fsanitize=address,undefined")
endif()

set(pc_dir "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    set(VMADO_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
    file(RELATIVE_PATH pc_to_prefix "/prefix/${pc_dir}" "/prefix")
    string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
    set(VMADO_PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/vmado.pc.in" "${CMAKE_CURRENT_BINARY_DIR}/vmado.pc" @ONLY)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/vmado.pc" DESTINATION "${pc_dir}")
