# The desktop search providers of the gallery: GNOME Shell reads its .ini from the system data
# directories only, KRunner its plugin description; both start the application through the
# D-Bus service file when it is not running.
set(PICTAVIA_SEARCH_PROVIDER_DIR ${CMAKE_SOURCE_DIR}/packaging)
configure_file(${PICTAVIA_SEARCH_PROVIDER_DIR}/com.zorbel.Pictavia.SearchProvider.service.in
               ${CMAKE_BINARY_DIR}/packaging/com.zorbel.Pictavia.SearchProvider.service @ONLY)
install(FILES ${PICTAVIA_SEARCH_PROVIDER_DIR}/com.zorbel.Pictavia.SearchProvider.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/search-providers)
install(FILES ${CMAKE_BINARY_DIR}/packaging/com.zorbel.Pictavia.SearchProvider.service
        DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services)
install(FILES ${PICTAVIA_SEARCH_PROVIDER_DIR}/com.zorbel.Pictavia.SearchProvider.krunner.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/krunner/dbusplugins
        RENAME com.zorbel.Pictavia.SearchProvider.desktop)
