# Used by the install (cmake --install, cpack): installs a text file compressed
# as Debian wants manual pages and changelogs, `gzip -9n` (-n: no name or time
# stamp inside, so the same text always gives the same bytes).
#
#   scribble_install_gzipped(SOURCE DESTINATION [FROM TO])
#
# writes DESTINATION/<name of SOURCE>.gz under the install prefix (DESTINATION
# relative to it), with the text FROM replaced by TO when given, and records it
# in the install manifest like any installed file.
function(scribble_install_gzipped source destination)
    find_program(SCRIBBLE_GZIP gzip REQUIRED)
    file(READ "${source}" text)
    if(ARGC GREATER 2)
        string(REPLACE "${ARGV2}" "${ARGV3}" text "${text}")
    endif()
    cmake_path(GET source FILENAME name)
    cmake_path(ABSOLUTE_PATH destination BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
               OUTPUT_VARIABLE folder)
    set(target "$ENV{DESTDIR}${folder}/${name}.gz")

    # The text to compress is written beside the target for a moment: the
    # one folder an install may be sure to write to.
    set(plain "${target}.uncompressed")
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${folder}")
    file(WRITE "${plain}" "${text}")
    message(STATUS "Installing: ${target}")
    execute_process(COMMAND "${SCRIBBLE_GZIP}" -9n -c "${plain}" OUTPUT_FILE "${target}"
                    RESULT_VARIABLE status)
    file(REMOVE "${plain}")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip -9n of ${source} into ${target} failed: ${status}")
    endif()
    file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${target}" PARENT_SCOPE)
endfunction()
