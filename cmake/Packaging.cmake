# Installation for the Linux desktop and the Debian package.
include(GNUInstallDirs)

install(TARGETS glimmer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The metafile decoder the view starts (view/metafiledecoder.h finds it there).
install(TARGETS glimmer-metafile RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/glimmer)
# The compilers' notes of themselves are of no use in an installed program (Debian strips them).
if(CMAKE_OBJCOPY)
  foreach(program ${CMAKE_INSTALL_BINDIR}/glimmer ${CMAKE_INSTALL_LIBEXECDIR}/glimmer/glimmer-metafile)
    install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
      \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${program})")
  endforeach()
endif()
install(FILES data/com.example.Glimmer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/com.example.Glimmer.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY data/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Debian wants the man page and the changelog compressed, with no time stamp inside.
find_program(GZIP_PROGRAM gzip REQUIRED)
foreach(item glimmer.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${item}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_SOURCE_DIR}/data/${item} > ${CMAKE_BINARY_DIR}/${item}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/data/${item} VERBATIM)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/glimmer.1.gz ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/glimmer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz data/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/glimmer)
# The registry export to start from for the About box's System Info button (README).
install(FILES about/examples/sysinfo.reg DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/glimmer/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Brindle)
set(CPACK_PACKAGE_CONTACT "Brindle <glimmer@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for NFO art, plain text and RTF documents")
set(CPACK_PACKAGE_DESCRIPTION "Glimmer shows one text document at a time: DOS-era .nfo
and .diz information files with their code page 437 box and block art, plain
text, batch files, registry exports and RTF documents with their formatting.
It finds a word and paints every occurrence red and bold at once.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/)
# Shared-library dependencies are worked out from the binaries (libwmf, libemf2svg and Qt SVG
# from the metafile decoder's, and named here all the same); the X11 and Wayland platform plugins,
# the DOS face and the faces libwmf draws text in are loaded at run time, so they are named too.
# The About box's links open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-wayland, fonts-pc, libwmf-0.2-7, libemf2svg1, libqt6svg6, fonts-urw-base35")
# Faces of the same metrics as those RTF documents name most (Arial, Times New Roman, Courier New,
# Calibri, Cambria), and one that draws the characters of symbol fonts; xdg-utils for the links.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-liberation2, fonts-crosextra-carlito, fonts-crosextra-caladea, fonts-dejavu-core, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
