# The Python package tarvo: the binding tarvo._core beside the package's Python files, laid out in
# the build tree as installed (build/<target>/python/tarvo), so that PYTHONPATH=build/<target>/python
# imports it; its tests run by pytest as one ctest entry; installed where Debian's python3 reads it.
set(tarvo_python_tree ${CMAKE_BINARY_DIR}/python)
pybind11_add_module(tarvo_python_module MODULE python/module.cpp)
set_target_properties(tarvo_python_module PROPERTIES OUTPUT_NAME _core
  LIBRARY_OUTPUT_DIRECTORY ${tarvo_python_tree}/tarvo)
target_link_libraries(tarvo_python_module PRIVATE tarvo_python)
# The static libraries' symbols stay inside the module, whatever else the process loads.
target_link_options(tarvo_python_module PRIVATE -Wl,--exclude-libs,ALL)
tarvo_target_options(tarvo_python_module)

file(GLOB tarvo_python_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/python/tarvo/*.py)
file(MAKE_DIRECTORY ${tarvo_python_tree}/tarvo)
foreach(file ${tarvo_python_files})
  get_filename_component(name ${file} NAME)
  file(CREATE_LINK ${file} ${tarvo_python_tree}/tarvo/${name} SYMBOLIC)
endforeach()

if(TARVO_TESTS)
  add_test(NAME python COMMAND ${Python3_EXECUTABLE} -m pytest -q -p no:cacheprovider ${CMAKE_SOURCE_DIR}/tests/python)
  set_tests_properties(python PROPERTIES TIMEOUT 900
    ENVIRONMENT "PYTHONPATH=${tarvo_python_tree};TARVO_EXE=$<TARGET_FILE:tarvo>;TARVO_FORMULA_EXE=$<TARGET_FILE:tarvo-formula>;TARVO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endif()

# Debian's python3 reads packages of its own from /usr/lib/python3/dist-packages and the others
# from PREFIX/lib/python3.X/dist-packages (/usr/local among them); the prefix is known only when
# installing. A package of its own is one whose prefix ends in /usr, as CPack's does.
install(CODE "
  if(CMAKE_INSTALL_PREFIX MATCHES \"(^|/)usr$\")
    set(tarvo_python_dir lib/python3/dist-packages/tarvo)
  else()
    set(tarvo_python_dir lib/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/dist-packages/tarvo)
  endif()
  file(INSTALL ${tarvo_python_files} \"$<TARGET_FILE:tarvo_python_module>\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${tarvo_python_dir}\")
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${tarvo_python_dir}/$<TARGET_FILE_NAME:tarvo_python_module>\")
  endif()
" COMPONENT python)
