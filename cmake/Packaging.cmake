# The Debian package (cpack -G DEB, see scripts/package.sh): what the install
# rules put under /usr, with the library dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME ${CFG_PROGRAM_FOLDER})
set(CPACK_PACKAGE_VENDOR "Device Server Works")
set(CPACK_PACKAGE_CONTACT "Device Server Works <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration utility for serial-to-Ethernet device servers")
# Lines of the extended description stay within 79 characters with the
# leading space of the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "Gives a new device server an IP address by its hardware address, pings it,\n\
reads its identity into a device data file, loads firmware images and web\n\
page archives into it over TFTP, and opens telnet or a web browser to it.\n\
The cfgutil command runs the same tools without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Telnet to Device starts the telnet client in a terminal window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "inetutils-telnet, xterm")


# What a distribution asks beside the programs: manual pages, the bash
# completion, AppStream metadata, the copyright and the changelog. cfgutil's
# page and completion are written from its command table by the build.
find_program(CFG_GZIP gzip REQUIRED)
set(doc_out ${CMAKE_BINARY_DIR}/docs)
set(doc_in ${PROJECT_SOURCE_DIR}/docs)
add_custom_command(
  OUTPUT ${doc_out}/cfgutil.1 ${doc_out}/cfgutil.bash
  COMMAND ${CMAKE_COMMAND} -E make_directory ${doc_out}
  COMMAND cfgutil-build-docs ${doc_in}/man/cfgutil.1.in ${doc_out}/cfgutil.1
          ${doc_out}/cfgutil.bash
  DEPENDS cfgutil-build-docs ${doc_in}/man/cfgutil.1.in
  COMMENT "Writing cfgutil(1) and its bash completion from the command table"
  VERBATIM)
# Compressed as Debian wants them: at most, with no name or time stamp inside.
set(compressed)
foreach(pair "${doc_out}/cfgutil.1|cfgutil.1" "${doc_in}/man/ConfigUtility.1|ConfigUtility.1"
             "${doc_in}/changelog|changelog")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(
    OUTPUT ${doc_out}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${doc_out}/${name}.plain
    COMMAND ${CFG_GZIP} -9nf ${doc_out}/${name}.plain
    COMMAND ${CMAKE_COMMAND} -E rename ${doc_out}/${name}.plain.gz ${doc_out}/${name}.gz
    DEPENDS ${source}
    VERBATIM)
  list(APPEND compressed ${doc_out}/${name}.gz)
endforeach()
add_custom_target(distribution_docs ALL DEPENDS ${compressed} ${doc_out}/cfgutil.bash)

# The release that the changelog and the AppStream metadata name first is
# this version, so that the package and its documents agree.
set(metainfo ${PROJECT_SOURCE_DIR}/resources/com.example.configutility.metainfo.xml)
file(STRINGS ${doc_in}/changelog latest LIMIT_COUNT 1)
file(READ ${metainfo} metainfo_text)
if(NOT latest MATCHES "^${CFG_PROGRAM_FOLDER} \\(${PROJECT_VERSION}\\) "
   OR NOT metainfo_text MATCHES "<release version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "docs/changelog and ${metainfo} must start with release ${PROJECT_VERSION}")
endif()

install(FILES ${doc_out}/cfgutil.1.gz ${doc_out}/ConfigUtility.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${doc_out}/cfgutil.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME cfgutil)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${doc_in}/copyright ${doc_out}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CFG_PROGRAM_FOLDER})

include(CPack)
