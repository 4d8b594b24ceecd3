# Install rules: the program and its desktop integration in the freedesktop places.
include(GNUInstallDirs)

set(QUORVANE_APP_ID example.talbrisk.Quorvane)
set(QUORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)

if(TARGET quorvane)
    install(TARGETS quorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/${QUORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${QUORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size IN LISTS QUORVANE_ICON_SIZES)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/hicolor/${_size}x${_size}/apps/${QUORVANE_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/${QUORVANE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)

include(${CMAKE_CURRENT_LIST_DIR}/packaging.cmake)
