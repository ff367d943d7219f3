# What `cmake --install BUILD --prefix PREFIX` lays out, and the Debian package of the
# same tree under /usr (`cpack -G DEB` in the build folder):
#
#   PREFIX/bin/                               PrismkeyFree, keyboard-host
#   PREFIX/lib/prismkey/                      the platform's shared libraries
#   PREFIX/lib/prismkey/DynamicLibraries/     Prismkey.dylib and its filter
#   PREFIX/share/prismkey/Resources/          the application's images
#   PREFIX/share/applications/                the desktop entries
#   PREFIX/share/icons/hicolor/<N>x<N>/apps/  the programs' icons
#   PREFIX/share/metainfo/                    PrismkeyFree's AppStream metainfo
#   PREFIX/share/man/man1/                    the manual pages (PRISMKEY_MANPAGES=ON)
#
# Every RPATH is relative to the file's own folder, and the programs find their images
# and plug-ins relative to their executable, so the tree runs wherever it is copied.

include_guard(GLOBAL)

set(PRISMKEY_INSTALL_LIBDIR lib/prismkey)
set(PRISMKEY_PLATFORM_LIBRARIES PlatformRuntime PlatformSubstrateLoader PlatformFoundation
  PlatformCoreGraphics PlatformQuartzCore PlatformUIKit PlatformHost PlatformHostWindow)

install(TARGETS PrismkeyFree keyboard-host RUNTIME DESTINATION bin)
install(TARGETS ${PRISMKEY_PLATFORM_LIBRARIES} LIBRARY DESTINATION ${PRISMKEY_INSTALL_LIBDIR})
install(TARGETS Prismkey LIBRARY DESTINATION ${PRISMKEY_INSTALL_LIBDIR}/DynamicLibraries)
install(FILES ${PRISMKEY_PLUGIN_DIR}/Prismkey.plist
  DESTINATION ${PRISMKEY_INSTALL_LIBDIR}/DynamicLibraries)
install(DIRECTORY ${PRISMKEY_RESOURCE_DIR}/ DESTINATION share/prismkey/Resources
  FILES_MATCHING PATTERN "*.png")
install(FILES ${PROJECT_SOURCE_DIR}/PrismkeyFree/io.prismkey.PrismkeyFree.desktop
  ${PROJECT_SOURCE_DIR}/KeyboardHost/io.prismkey.KeyboardHost.desktop
  DESTINATION share/applications)
install(DIRECTORY ${PRISMKEY_ICON_DIR}/hicolor DESTINATION share/icons)
install(FILES ${PROJECT_SOURCE_DIR}/data/io.prismkey.PrismkeyFree.metainfo.xml
  DESTINATION share/metainfo)

set_target_properties(PrismkeyFree keyboard-host PROPERTIES
  INSTALL_RPATH "$ORIGIN/../${PRISMKEY_INSTALL_LIBDIR}")
set_target_properties(${PRISMKEY_PLATFORM_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
# A plug-in installed into a device root finds the platform already loaded by its host.
set_target_properties(Prismkey PROPERTIES INSTALL_RPATH "$ORIGIN/..")
# Built with the RUNPATH they are installed with. A build RUNPATH that the install
# rewrites is padded by CMake with a trailing ':', an empty entry that means the
# working folder: any library left there would be loaded first. The build tree lays
# the libraries out as the installed tree does, so the same relative paths serve.
set_target_properties(PrismkeyFree keyboard-host ${PRISMKEY_PLATFORM_LIBRARIES} Prismkey
  PROPERTIES BUILD_WITH_INSTALL_RPATH ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME prismkey)
set(CPACK_PACKAGE_VENDOR Prismkey)
set(CPACK_PACKAGE_CONTACT "Prismkey developers <developers@prismkey.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "keyboard tint settings and a keyboard host that shows the tint")
set(CPACK_PACKAGE_DESCRIPTION
  "PrismkeyFree picks the colour that tints the keyboard; keyboard-host shows a keyboard with the Prismkey plug-in loaded.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# As Debian ships programs: without symbol tables or debug information.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Library dependencies are computed from the binaries (dpkg-shlibdeps follows the
# relative RPATHs to the platform's own libraries, which the package itself holds).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Text is laid out in DejaVu Sans, which no library names; on Wayland, SDL draws the
# windows' title bars and borders through libdecor's plug-in, which it loads by name;
# links open through xdg-open where the desktop has no portal.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libdecor-0-plugin-1-cairo, xdg-utils")
include(CPack)
