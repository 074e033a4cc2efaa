# What a system install carries beside the programs, and the Debian package
# (scripts/package-deb.sh, `cpack -G DEB`):
#   share/man/man1, share/man/ja/man1   the manual pages, English and Japanese
#   share/icons/hicolor/NxN/apps        the icon drawn at the theme's sizes
#   share/doc/kelvora                   the copyright and the Debian changelog
#   share/lintian/overrides/kelvora     the lintian tags that do not apply
# Included before CPack, whose settings it extends.

# The date the manual pages and the Debian changelog carry: a fixed one, so
# that two builds of one version give the same package.
set(KELVORA_RELEASE_DATE 2026-12-08)
set(KELVORA_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")
set(KELVORA_DEB_REVISION 1)
set(KELVORA_DEB_MAINTAINER "kelvora maintainers <maintainers@kelvora.org>")

# Directories these rules make are world-readable whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

find_program(KELVORA_GZIP gzip REQUIRED)
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(packaging_outputs)

# Debian wants manual pages and changelogs compressed with gzip -9 and no
# name or time in the header (-n), so the bytes follow from the text alone.
function(kelvora_gzip source compressed)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${KELVORA_GZIP} -9nkf ${source}
    DEPENDS ${source}
    VERBATIM)
endfunction()

foreach(page kelvora kelvquick)
  foreach(language en ja)
    if(language STREQUAL en)
      set(source_dir docs/man)
      set(destination share/man/man1)
    else()
      set(source_dir docs/man/${language})
      set(destination share/man/${language}/man1)
    endif()
    set(page_file ${packaging_out}/man/${language}/${page}.1)
    configure_file(${source_dir}/${page}.1.in ${page_file} @ONLY)
    kelvora_gzip(${page_file} ${page_file}.gz)
    list(APPEND packaging_outputs ${page_file}.gz)
    install(FILES ${page_file}.gz DESTINATION ${destination})
  endforeach()
endforeach()

configure_file(packaging/deb/changelog.in ${packaging_out}/changelog.Debian @ONLY)
kelvora_gzip(${packaging_out}/changelog.Debian ${packaging_out}/changelog.Debian.gz)
list(APPEND packaging_outputs ${packaging_out}/changelog.Debian.gz)
install(FILES packaging/deb/copyright ${packaging_out}/changelog.Debian.gz DESTINATION share/doc/kelvora)
install(FILES packaging/deb/lintian-overrides DESTINATION share/lintian/overrides RENAME kelvora)

# Menus and docks that take no SVG look for a PNG at their own size.
find_program(KELVORA_RSVG_CONVERT rsvg-convert)
if(KELVORA_RSVG_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${packaging_out}/icons/${size}x${size}/kelvora.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}/icons/${size}x${size}
      COMMAND ${KELVORA_RSVG_CONVERT} --width ${size} --height ${size} --keep-aspect-ratio
        --output ${png} ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/icon.svg
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/icon.svg
      VERBATIM)
    list(APPEND packaging_outputs ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: the icon is installed as SVG only")
endif()
add_custom_target(kelvora_packaging_files ALL DEPENDS ${packaging_outputs})

# The Debian package: kelvora_<version>-<revision>_<arch>.deb, installed
# under /usr. Its Depends line is computed by dpkg-shlibdeps from the
# libraries the programs link.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_NAME kelvora)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KELVORA_DEB_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KELVORA_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_KELVORA_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/PackagingStrip.cmake)
# Every caption is Japanese; Qt picks the font by name at run time, which no
# library dependency shows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "kelvora is a wizard for people who publish Windows Media video on a web
site. The user types the name of the video, the link text and the player
width, and it writes the ASX metafile and the HTML pages: a text link that
starts the player, the player embedded in the page, a page of five links
and a menu page with an inline frame. Every file is written in Shift_JIS
with CR LF line ends; the screens are in Japanese.

kelvquick, the second program, makes a folder with a link page and a
metafile for one video from its name alone.")
