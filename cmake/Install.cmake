# The resources compiled into the application, and what `cmake --install` puts under the prefix:
# the executable (see src/), the reference backend with a virtual environment made at install
# time, the desktop entry, the D-Bus activation file, the icons and the AppStream metainfo.

# Colours, icons and the logo, reachable as ":/theme/...", ":/icons/...", ":/logo.svg".
file(GLOB_RECURSE PICTAVIA_RESOURCE_FILES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/*)
qt_add_resources(pictavia_models pictavia_resources
  PREFIX "/"
  BASE ${CMAKE_SOURCE_DIR}/resources
  FILES ${PICTAVIA_RESOURCE_FILES})

set(PICTAVIA_APP_ID "com.zorbel.Pictavia")
set(PICTAVIA_PYTHON "/usr/bin/python3" CACHE FILEPATH
  "Interpreter for the installed backend's virtual environment (it must see Pillow)")

# Tools and tests that start the built executable.
foreach(target bench_startup tst_single_instance tst_installation)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE
      PICTAVIA_EXECUTABLE="$<TARGET_FILE:pictavia>"
      PICTAVIA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      PICTAVIA_BUILD_DIR="${CMAKE_BINARY_DIR}"
      PICTAVIA_CMAKE_COMMAND="${CMAKE_COMMAND}")
    add_dependencies(${target} pictavia)
  endif()
endforeach()

# The desktop entry and the D-Bus file name the program by its absolute path, so they are
# written when installing, for the prefix actually installed to (`cmake --install --prefix`).
install(CODE "
  set(PICTAVIA_INSTALLED_EXECUTABLE \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/pictavia\")
  foreach(name ${PICTAVIA_APP_ID}.desktop ${PICTAVIA_APP_ID}.service)
    configure_file(\"${CMAKE_SOURCE_DIR}/packaging/\${name}.in\"
      \"${CMAKE_BINARY_DIR}/packaging/\${name}\" @ONLY)
  endforeach()
")
install(FILES ${CMAKE_BINARY_DIR}/packaging/${PICTAVIA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${PICTAVIA_APP_ID}.service
  DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)
install(FILES packaging/${PICTAVIA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/logo.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${PICTAVIA_APP_ID}.svg)
foreach(size 128 256)
  install(FILES packaging/icons/${size}/${PICTAVIA_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The backend lives in the resources directory (<prefix>/share/pictavia), where an installed
# Pictavia looks for it first. Its venv is made fresh on the installing machine.
set(PICTAVIA_BACKEND_DEST ${CMAKE_INSTALL_DATADIR}/pictavia/artwork-backend)
install(DIRECTORY artwork-backend/
  DESTINATION ${PICTAVIA_BACKEND_DEST}
  PATTERN ".venv" EXCLUDE
  PATTERN "__pycache__" EXCLUDE
  PATTERN ".pytest_cache" EXCLUDE
  PATTERN "tests" EXCLUDE
  PATTERN "*.pyc" EXCLUDE)
install(CODE "
  set(venv \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${PICTAVIA_BACKEND_DEST}/.venv\")
  if(NOT EXISTS \"\${venv}/bin/python\")
    message(STATUS \"Creating the backend's virtual environment: \${venv}\")
    execute_process(COMMAND \"${PICTAVIA_PYTHON}\" -m venv --system-site-packages \"\${venv}\"
      RESULT_VARIABLE venv_result)
    if(NOT venv_result EQUAL 0)
      message(FATAL_ERROR \"Could not create \${venv} with ${PICTAVIA_PYTHON}\")
    endif()
  endif()
")
