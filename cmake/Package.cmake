# The Debian package: `cpack -G DEB` in a build folder configured with
# -DCMAKE_INSTALL_PREFIX=/usr; dpkg-shlibdeps fills in the dependencies.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tolvane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Tolvane developers")
set(CPACK_PACKAGE_CONTACT "Tolvane developers <maintainers@tolvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pack a folder into a BH archive with a referral shortcut")
# CPack puts the summary first and indents these lines itself; an empty line
# becomes the " ." between paragraphs.
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvane is a tool for publishers of downloadable files. It packs a folder's
whole tree into an archive in the BH format, adds an Internet shortcut to the
download page of an archiver able to open it, carrying the publisher's
referral link, and packs both into one ZIP archive, optionally protected by a
password.

This package holds the desktop program tolvane, with a Monetize entry for
the folders of Dolphin, Nautilus and Nemo, and the command-line tool
tolvane-cli, which also lists, tests and extracts BH and ZIP archives.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
# Qt's translations put the standard buttons into the interface language.
if(TARGET tolvane)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-nautilus")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tolvane.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
