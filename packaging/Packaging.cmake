# Installing the two programs (cmake --install build [--prefix P]), the Debian
# package CPack makes of that (cmake --build build --target package), and the
# distribution folder in which the launcher finds the package (target dist).
# Included at the end of the top-level CMakeLists.txt; needs both programs.
if(NOT TARGET Ostrel OR NOT TARGET Fennick)
  return()
endif()

include(GNUInstallDirs)
set(PN_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PN_PACKAGE_NAME velmora)
# The version the About box shows.
set(PN_PACKAGE_VERSION 1.00)

install(TARGETS Ostrel Fennick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The launcher's installer window is started by the launcher only: it goes
# to the package's program folder, where the launcher finds it
# (launcher/CMakeLists.txt), not on PATH.
install(TARGETS FennickInstaller RUNTIME DESTINATION ${PN_INSTALLER_INSTALL_DIR})
# The menu entry: the desktop hands the files and folders opened with it to
# the converter as command-line paths.
install(FILES ${PN_PACKAGING_DIR}/${PN_PACKAGE_NAME}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The desktop entry keeps to the desktop-entry rules (scripts/setup.sh
# installs the checker).
find_program(PN_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(PN_DESKTOP_FILE_VALIDATE)
  add_test(NAME Packaging.DesktopEntryIsValid
           COMMAND ${PN_DESKTOP_FILE_VALIDATE} ${PN_PACKAGING_DIR}/${PN_PACKAGE_NAME}.desktop)
else()
  message(WARNING "desktop-file-validate not found: the desktop entry is not checked")
endif()

# The icon files are drawn by the converter's own icon code at build time.
add_executable(WriteIcons ${PN_PACKAGING_DIR}/WriteIcons.cpp)
target_link_libraries(WriteIcons PRIVATE OstrelGui)
set(PN_ICON_SIZES 16 32 48 64 128 256)
set(PN_ICON_DIR ${CMAKE_BINARY_DIR}/packaging/icons)
set(_pn_icons)
foreach(size IN LISTS PN_ICON_SIZES)
  list(APPEND _pn_icons ${PN_ICON_DIR}/${size}x${size}/apps/${PN_PACKAGE_NAME}.png)
endforeach()
add_custom_command(
  OUTPUT ${_pn_icons}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PN_ICON_DIR}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:WriteIcons> ${PN_ICON_DIR} ${PN_PACKAGE_NAME} ${PN_ICON_SIZES}
  DEPENDS WriteIcons
  COMMENT "Drawing the icon files"
  VERBATIM)
add_custom_target(PennaIcons ALL DEPENDS ${_pn_icons})
install(DIRECTORY ${PN_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The Debian package. Its dependencies: the packages of the libraries the
# programs link (dpkg-shlibdeps), the packages of the three libraries loaded
# at first use, which no link names (their sonames were read above), and
# what the programs read at run time: poppler-data's CMaps and the Japanese
# font of the dialogs.
find_program(PN_DPKG dpkg)
find_program(PN_DPKG_QUERY dpkg-query)
if(NOT PN_DPKG OR NOT PN_DPKG_QUERY)
  message(STATUS "dpkg not found: no Debian package, no distribution folder")
  return()
endif()

# Sets out to the package that holds the file named soname, or to fallback
# when dpkg knows none.
function(pn_package_of out soname fallback)
  execute_process(COMMAND ${PN_DPKG_QUERY} -S "*/${soname}" RESULT_VARIABLE result
                  OUTPUT_VARIABLE owners ERROR_QUIET)
  if(result EQUAL 0 AND owners MATCHES "^([a-z0-9][a-z0-9+.-]+)(:[a-z0-9-]+)?: ")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    message(STATUS "no package holds ${soname}; the package depends on ${fallback}")
    set(${out} ${fallback} PARENT_SCOPE)
  endif()
endfunction()
pn_package_of(_pn_tiff_package ${PN_TIFF_SONAME} libtiff6)
pn_package_of(_pn_fontconfig_package ${PN_FONTCONFIG_SONAME} libfontconfig1)
pn_package_of(_pn_freetype_package ${PN_FREETYPE_SONAME} libfreetype6)

execute_process(COMMAND ${PN_DPKG} --print-architecture OUTPUT_VARIABLE PN_PACKAGE_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(PN_PACKAGE_FILE ${PN_PACKAGE_NAME}_${PN_PACKAGE_VERSION}_${PN_PACKAGE_ARCH}.deb)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PN_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_CONTACT Tarnwick)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image-to-PDF converter with a Japanese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora converts BMP, JPEG and TIFF images into PDF files of one page\n"
    "each: one file, a folder with its sub-folders, or files dropped on it.\n"
    "The package also holds Fennick, the setup launcher.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME ${PN_PACKAGE_FILE})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${PN_PACKAGE_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "poppler-data, fonts-noto-cjk, ${_pn_tiff_package}, ${_pn_fontconfig_package}, ${_pn_freetype_package}")
# The toolkit's own dialogs (file choosers) in Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
include(CPack)

# The distribution folder: the launcher with its installer window, its
# InstInfo.txt (in code page 932, the launcher's host encoding) and the
# package, side by side.
configure_file(${PN_PACKAGING_DIR}/InstInfo.txt.in ${CMAKE_BINARY_DIR}/packaging/InstInfo.utf8.txt
               @ONLY)
add_custom_target(
  dist
  COMMAND
    ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBINARY_DIR=${CMAKE_BINARY_DIR}
    -DPACKAGE_FILE=${PN_PACKAGE_FILE} -DLAUNCHER=$<TARGET_FILE:Fennick>
    -DINSTALLER=$<TARGET_FILE:FennickInstaller> -DSTRIP=${CMAKE_STRIP}
    -DINFO=${CMAKE_BINARY_DIR}/packaging/InstInfo.utf8.txt -DDIST=${CMAKE_BINARY_DIR}/dist -P
    ${PN_PACKAGING_DIR}/MakeDist.cmake
  COMMENT "Laying out the distribution folder dist/"
  VERBATIM)
add_dependencies(dist Ostrel Fennick FennickInstaller PennaIcons)
