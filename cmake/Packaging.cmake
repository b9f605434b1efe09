# The Debian package (cpack -G DEB, see scripts/package.sh): what the install
# rules put under /usr, with the library dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME ${CFG_PROGRAM_FOLDER})
set(CPACK_PACKAGE_VENDOR "Device Server Works")
set(CPACK_PACKAGE_CONTACT "Device Server Works <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration utility for serial-to-Ethernet device servers")
set(CPACK_PACKAGE_DESCRIPTION
    "Gives a new device server an IP address by its hardware address, pings it, reads its\n\
identity into a device data file, loads firmware images and web page archives into it over\n\
TFTP, and opens telnet or a web browser to it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Telnet to Device starts the telnet client in a terminal window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "inetutils-telnet, xterm")

include(CPack)
