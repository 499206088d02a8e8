# What `cmake --install` puts under the prefix, and the Debian package built
# from it with CPack. Included at the end of the top CMakeLists.txt, so that
# the rules for the windowed program apply once its target exists.

set(TOLVANE_FULL_BINDIR "${CMAKE_INSTALL_FULL_BINDIR}")
set(tolvaneData "${PROJECT_SOURCE_DIR}/data")
set(tolvaneGenerated "${PROJECT_BINARY_DIR}/generated/install")

install(TARGETS tolvane-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# The program finds it in ../share/tolvane relative to its own folder.
install(FILES "${tolvaneData}/transl.dat" DESTINATION "${CMAKE_INSTALL_DATADIR}/tolvane")
install(FILES "${tolvaneData}/completion/tolvane-cli.bash"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions" RENAME tolvane-cli)

# Man pages, with the version filled in, compressed as Debian wants them.
find_program(TOLVANE_GZIP gzip REQUIRED)
function(tolvane_man_page name)
  configure_file("${tolvaneData}/man/${name}.in" "${tolvaneGenerated}/${name}" @ONLY)
  add_custom_command(OUTPUT "${tolvaneGenerated}/${name}.gz"
    COMMAND "${TOLVANE_GZIP}" -9nkf "${tolvaneGenerated}/${name}"
    DEPENDS "${tolvaneGenerated}/${name}" VERBATIM)
  set(TOLVANE_MAN_PAGES ${TOLVANE_MAN_PAGES} "${tolvaneGenerated}/${name}.gz" PARENT_SCOPE)
endfunction()
tolvane_man_page(tolvane-cli.1)

# The windowed program and what belongs to it: its desktop entry, AppStream
# metainfo, icon, man page and the system-wide "Monetize..." entries of the
# file managers (Dolphin of KDE Frameworks 5.85 and later reads
# share/kio/servicemenus; Nautilus reads system-wide entries only from
# nautilus-python extensions; Nemo reads share/nemo/actions).
configure_file("${tolvaneData}/desktop/org.tolvane.Tolvane.desktop.in"
               "${tolvaneGenerated}/${TOLVANE_APP_ID}.desktop" @ONLY)
configure_file("${tolvaneData}/desktop/org.tolvane.Tolvane.metainfo.xml.in"
               "${tolvaneGenerated}/${TOLVANE_APP_ID}.metainfo.xml" @ONLY)
configure_file("${tolvaneData}/desktop/tolvane-monetize.servicemenu.desktop.in"
               "${tolvaneGenerated}/tolvane-monetize.desktop" @ONLY)
configure_file("${tolvaneData}/desktop/tolvane-monetize.nemo_action.in"
               "${tolvaneGenerated}/tolvane-monetize.nemo_action" @ONLY)
configure_file("${tolvaneData}/desktop/tolvane-monetize.nautilus.py.in"
               "${tolvaneGenerated}/tolvane-monetize.py" @ONLY)
option(TOLVANE_INSTALL_DESKTOP_FILES
       "Install the desktop entry, metainfo, icon and file-manager entries even without the windowed program"
       OFF)
if(TARGET tolvane)
  install(TARGETS tolvane RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  tolvane_man_page(tolvane.1)
endif()
if(TARGET tolvane OR TOLVANE_INSTALL_DESKTOP_FILES)
  install(FILES "${tolvaneGenerated}/${TOLVANE_APP_ID}.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${tolvaneGenerated}/${TOLVANE_APP_ID}.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  install(FILES "${tolvaneData}/desktop/org.tolvane.Tolvane.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
          RENAME "${TOLVANE_APP_ID}.svg")
  install(FILES "${tolvaneGenerated}/tolvane-monetize.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/kio/servicemenus")
  install(FILES "${tolvaneGenerated}/tolvane-monetize.nemo_action"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/nemo/actions")
  install(FILES "${tolvaneGenerated}/tolvane-monetize.py"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/nautilus-python/extensions")
endif()
add_custom_target(tolvane_man_pages ALL DEPENDS ${TOLVANE_MAN_PAGES})
install(FILES ${TOLVANE_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# Debian wants a copyright file and a compressed changelog in the package's
# documentation folder.
set(tolvaneDocDir "${CMAKE_INSTALL_DATADIR}/doc/tolvane")
configure_file("${tolvaneData}/debian/changelog.in" "${tolvaneGenerated}/changelog" @ONLY)
add_custom_command(OUTPUT "${tolvaneGenerated}/changelog.gz"
  COMMAND "${TOLVANE_GZIP}" -9nkf "${tolvaneGenerated}/changelog"
  DEPENDS "${tolvaneGenerated}/changelog" VERBATIM)
add_custom_target(tolvane_changelog ALL DEPENDS "${tolvaneGenerated}/changelog.gz")
install(FILES "${tolvaneData}/debian/copyright" DESTINATION "${tolvaneDocDir}")
install(FILES "${tolvaneGenerated}/changelog.gz" DESTINATION "${tolvaneDocDir}")

include("${PROJECT_SOURCE_DIR}/cmake/Package.cmake")
