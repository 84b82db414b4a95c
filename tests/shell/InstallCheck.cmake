# Installs the build into a fresh prefix and checks what a desktop needs: every file in its
# place, and the desktop entry and the AppStream metainfo accepted by their validators where
# those are installed.
# Arguments: -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
  bin/quorvane
  libexec/quorvane-gui
  share/quorvane/Quorvane_en.nls
  share/quorvane/Quorvane_de.htm
  share/quorvane/STATE_DE.nls
  share/applications/quorvane.desktop
  share/metainfo/org.brennik.quorvane.metainfo.xml
  share/icons/hicolor/scalable/apps/quorvane.svg
  share/icons/hicolor/256x256/apps/quorvane.png
  share/doc/quorvane/copyright)
foreach(file ${expected})
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
if(NOT EXISTS ${PREFIX}/share/man/man1/quorvane.1.gz AND NOT EXISTS ${PREFIX}/share/man/man1/quorvane.1)
  message(FATAL_ERROR "not installed: the manual page")
endif()

function(validate tool)
  find_program(validator ${tool})
  if(NOT validator)
    message(STATUS "${tool} is not installed; not checked")
    return()
  endif()
  execute_process(COMMAND ${validator} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  # A hint is a warning too: the entry is to be clean.
  if(NOT result EQUAL 0 OR output MATCHES "hint|warning|error")
    message(FATAL_ERROR "${tool} ${ARGN}:\n${output}")
  endif()
  unset(validator CACHE)
endfunction()

validate(desktop-file-validate ${PREFIX}/share/applications/quorvane.desktop)
validate(appstreamcli validate --no-net --pedantic
         ${PREFIX}/share/metainfo/org.brennik.quorvane.metainfo.xml)
