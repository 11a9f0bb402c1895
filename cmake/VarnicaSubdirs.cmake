# varnica_add_subdirs(<dir>...): adds each listed folder that has a CMakeLists.txt.
function(varnica_add_subdirs)
  foreach(_d IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_d}/CMakeLists.txt)
      add_subdirectory(${_d})
    endif()
  endforeach()
endfunction()

# varnica_add_all_subdirs(): adds every direct subfolder that has a CMakeLists.txt.
function(varnica_add_all_subdirs)
  file(GLOB _lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(_list IN LISTS _lists)
    get_filename_component(_dir ${_list} DIRECTORY)
    add_subdirectory(${_dir})
  endforeach()
endfunction()
