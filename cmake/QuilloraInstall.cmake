# Installation and packaging. Only the program and its desktop integration
# files are installed: the static libraries, tests and benchmarks are build
# products and have no install rules.

include(GNUInstallDirs)

set(QUILLORA_APP_ID com.ostrevin.Quillora)
set(QUILLORA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(TARGETS quillora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX AND NOT APPLE)
    # The file id must match QApplication::setDesktopFileName(), or the
    # desktop cannot tie the running window to its launcher and icon.
    install(FILES ${QUILLORA_DATA_DIR}/${QUILLORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${QUILLORA_DATA_DIR}/${QUILLORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # The sizes are committed pre-scaled so the build needs no image tools.
    foreach(size 16 32 48 64 128 256)
        install(FILES ${QUILLORA_DATA_DIR}/icons/hicolor/${size}x${size}/apps/${QUILLORA_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

set(CPACK_PACKAGE_NAME quillora)
set(CPACK_PACKAGE_VENDOR Ostrevin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Convert an amount between currencies at the current rate")
# Kept to short lines: Debian shows the long description as written.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quillora is a small desktop currency converter. Type an amount, pick the"
    "source and the target currency and ask for the result: Quillora looks up"
    "the current exchange rate on the web and shows the converted amount.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillora)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")

if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER Ostrevin)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's texts are Chinese and need a CJK font; the home-page button
# needs a URL opener. Neither is linked, so dpkg-shlibdeps cannot find them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, xdg-utils")
# The window cannot open without the toolkit's X11 platform plugin, which is
# loaded at run time and so is invisible to dpkg-shlibdeps as well.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")

include(CPack)
