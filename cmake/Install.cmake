# What `cmake --install BUILD --prefix PREFIX` lays out; the Debian package (debian/,
# scripts/package) holds the same tree under /usr:
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
