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

# An installation builds what it installs, and only that (the programs, the
# icons, the manual pages), in parallel (BuildInstalled.cmake): the install
# and package targets do not first build everything, every test program
# included, one file at a time.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(PennaInstalled)
install(CODE "set(PN_CMAKE \"${CMAKE_COMMAND}\")
set(PN_BUILD_DIR \"${CMAKE_BINARY_DIR}\")
include(\"${PN_PACKAGING_DIR}/BuildInstalled.cmake\")")

install(TARGETS Ostrel Fennick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The launcher's installer window is started by the launcher only: it goes
# to the package's program folder, where the launcher finds it
# (launcher/CMakeLists.txt), not on PATH.
install(TARGETS FennickInstaller RUNTIME DESTINATION ${PN_INSTALLER_INSTALL_DIR})
# The menu entry: the desktop hands the files and folders opened with it to
# the converter as command-line paths.
install(FILES ${PN_PACKAGING_DIR}/${PN_PACKAGE_NAME}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The manual pages (English, and Japanese under man/ja), the copyright
# notice and the changelog, as Debian keeps them: man pages and changelog
# compressed with gzip -9n (best compression, no name or time stamp, so the
# same text always gives the same bytes).
find_program(PN_GZIP gzip REQUIRED)
set(PN_DOC_BUILD_DIR ${CMAKE_BINARY_DIR}/packaging/doc)
set(_pn_docs)
# Adds the rule that writes source compressed into out (both absolute).
function(pn_gzip_file source out)
  get_filename_component(folder ${out} DIRECTORY)
  string(REGEX REPLACE "\\.gz$" "" plain ${out})
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${PN_GZIP} -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
endfunction()
foreach(page IN ITEMS Ostrel.1 Fennick.1)
  foreach(language IN ITEMS "" ja)
    if(language)
      set(from ${PN_PACKAGING_DIR}/man/${language}/${page})
      set(to ${PN_DOC_BUILD_DIR}/man/${language}/man1/${page}.gz)
      set(destination ${CMAKE_INSTALL_MANDIR}/${language}/man1)
    else()
      set(from ${PN_PACKAGING_DIR}/man/${page})
      set(to ${PN_DOC_BUILD_DIR}/man/man1/${page}.gz)
      set(destination ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    pn_gzip_file(${from} ${to})
    list(APPEND _pn_docs ${to})
    install(FILES ${to} DESTINATION ${destination})
  endforeach()
endforeach()
# A package whose version has no Debian revision is Debian-native: its
# changelog is changelog.gz.
pn_gzip_file(${PN_PACKAGING_DIR}/changelog ${PN_DOC_BUILD_DIR}/changelog.gz)
list(APPEND _pn_docs ${PN_DOC_BUILD_DIR}/changelog.gz)
add_custom_target(PennaDocs ALL DEPENDS ${_pn_docs})
install(FILES ${PN_PACKAGING_DIR}/copyright ${PN_DOC_BUILD_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PN_PACKAGE_NAME})

# The desktop entry keeps to the desktop-entry rules (scripts/setup.sh
# installs the checker).
find_program(PN_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(PN_DESKTOP_FILE_VALIDATE)
  add_test(NAME Packaging.DesktopEntryIsValid
           COMMAND ${PN_DESKTOP_FILE_VALIDATE} ${PN_PACKAGING_DIR}/${PN_PACKAGE_NAME}.desktop)
else()
  message(WARNING "desktop-file-validate not found: the desktop entry's check fails")
  pn_missing_tool_test(Packaging.DesktopEntryIsValid desktop-file-validate desktop-file-utils)
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

add_dependencies(PennaInstalled Ostrel Fennick FennickInstaller PennaIcons PennaDocs)

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
set(CPACK_PACKAGE_CONTACT "Tarnwick <velmora@tarnwick.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image-to-PDF converter with a Japanese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora converts BMP, JPEG and TIFF images into PDF files, one page for\n"
    "each image of a file (a TIFF file may hold several): one file, a folder\n"
    "with its sub-folders, or files dropped on it.\n"
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
# InstInfo.txt (in code page 932, the launcher's host encoding), the package,
# the start script and the toolkit the two programs need (the xcb platform
# plugin and the libraries outside dist-base-libraries.txt), side by side;
# packed as velmora-1.00-setup.tar.gz, which keeps the execute bits.
configure_file(${PN_PACKAGING_DIR}/InstInfo.txt.in ${CMAKE_BINARY_DIR}/packaging/InstInfo.utf8.txt
               @ONLY)
find_program(PN_TAR tar REQUIRED)
# The xcb platform plugin's target, which the toolkit's Gui package does not
# load by itself here.
if(NOT TARGET Qt6::QXcbIntegrationPlugin)
  find_package(Qt6QXcbIntegrationPlugin REQUIRED CONFIG PATHS ${Qt6Gui_DIR} NO_DEFAULT_PATH)
endif()
set(PN_DIST_ROOT ${PN_PACKAGE_NAME}-${PN_PACKAGE_VERSION}-setup)
add_custom_target(
  dist
  COMMAND
    ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBINARY_DIR=${CMAKE_BINARY_DIR}
    -DPACKAGE_FILE=${PN_PACKAGE_FILE} -DLAUNCHER=$<TARGET_FILE:Fennick>
    -DINSTALLER=$<TARGET_FILE:FennickInstaller> -DSTRIP=${CMAKE_STRIP}
    -DINFO=${CMAKE_BINARY_DIR}/packaging/InstInfo.utf8.txt -DSTART=${PN_PACKAGING_DIR}/Fennick.sh
    -DPLUGIN=$<TARGET_FILE:Qt6::QXcbIntegrationPlugin>
    -DBASE=${PN_PACKAGING_DIR}/dist-base-libraries.txt -DDIST=${CMAKE_BINARY_DIR}/dist
    -DTAR=${PN_TAR} -DARCHIVE=${CMAKE_BINARY_DIR}/${PN_DIST_ROOT}.tar.gz
    -DARCHIVE_ROOT=${PN_DIST_ROOT} -P ${PN_PACKAGING_DIR}/MakeDist.cmake
  COMMENT "Laying out the distribution folder dist/"
  VERBATIM)
add_dependencies(dist Ostrel Fennick FennickInstaller PennaIcons)
add_dependencies(dist PennaDocs)
# Whatever else the distribution folder needs is installed too.
get_target_property(_pn_dist_needs dist MANUALLY_ADDED_DEPENDENCIES)
add_dependencies(PennaInstalled ${_pn_dist_needs})
