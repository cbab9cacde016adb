# Install rules and the Debian package: the programs in bin/, a manual page for each in
# share/man/man1/ (gzipped, as Debian keeps them), the README, the licence as Debian's copyright
# file and the examples in share/doc/tarvo/.
include(GNUInstallDirs)

install(TARGETS tarvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tarvo-formula)
  install(TARGETS tarvo-formula RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

file(GLOB tarvo_man_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.1)
set(tarvo_gzipped_pages)
foreach(page ${tarvo_man_pages})
  get_filename_component(name ${page} NAME)
  set(gzipped ${CMAKE_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${gzipped}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${page} > ${gzipped}
    DEPENDS ${page} VERBATIM)
  list(APPEND tarvo_gzipped_pages ${gzipped})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${tarvo_gzipped_pages})
add_dependencies(tarvo man_pages)  # so that building the program alone leaves everything to install
install(FILES ${tarvo_gzipped_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# LICENSE in Debian's machine-readable copyright format, where the MIT licence is called Expat: its
# terms follow the License field, each line indented by a blank, an empty line written as " .".
set(tarvo_contact "The Tarvo developers <tarvo@tarvo.dev>")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE tarvo_license)
string(FIND "${tarvo_license}" "Permission is hereby granted" tarvo_terms_start)
string(SUBSTRING "${tarvo_license}" ${tarvo_terms_start} -1 tarvo_terms)
string(STRIP "${tarvo_terms}" tarvo_terms)
string(REPLACE "\n\n" "\n.\n" tarvo_terms "${tarvo_terms}")
string(REPLACE "\n" "\n " tarvo_terms "${tarvo_terms}")
file(WRITE ${CMAKE_BINARY_DIR}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: tarvo\n"
  "Upstream-Contact: ${tarvo_contact}\n"
  "\n"
  "Files: *\n"
  "Copyright: 2026 The Tarvo developers\n"
  "License: Expat\n"
  " ${tarvo_terms}\n")
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${tarvo_contact}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "learns formulas from tables of numbers by gene expression programming")
set(CPACK_PACKAGE_DESCRIPTION
  "Tarvo evolves small stack-machine programs that fit a table of numbers, compiles every candidate to x87 machine code to score it, and writes each new best program as a C++ source file. It runs as an interactive console or, with 'tarvo learn', without one.")
if(TARVO_HAVE_PYTHON)
  string(APPEND CPACK_PACKAGE_DESCRIPTION
    " Its Python module, tarvo, offers the search as a scikit-learn estimator.")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # MPI's libraries too, where the build has island runs
set(tarvo_recommends)
if(TARVO_HAVE_MPI)
  list(APPEND tarvo_recommends openmpi-bin)  # mpirun, to start an island run
endif()
if(TARVO_HAVE_PYTHON)
  # The module is built for one Python version, and its package needs scikit-learn and numpy.
  math(EXPR tarvo_next_minor "${Python3_VERSION_MINOR} + 1")
  list(APPEND tarvo_recommends "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR})"
    "python3 (<< ${Python3_VERSION_MAJOR}.${tarvo_next_minor})" python3-sklearn)
endif()
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS "${tarvo_recommends}")
if(TARVO_TARGET STREQUAL ia32)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
endif()
include(CPack)
