# qm_layer_view(TARGET PUBLIC|PRIVATE|INTERFACE LAYER...): puts on TARGET's
# include path a folder that holds links to src/LAYER for the given layers
# only. Where the file system cannot link folders, the whole of src is used
# and layering goes unchecked on that machine.
function(qm_layer_view target scope)
  set(view "${CMAKE_BINARY_DIR}/layers/${target}")
  file(MAKE_DIRECTORY "${view}")
  set(linked TRUE)
  foreach(layer ${ARGN})
    if(NOT IS_DIRECTORY "${view}/${layer}")
      file(CREATE_LINK "${CMAKE_SOURCE_DIR}/src/${layer}" "${view}/${layer}" RESULT result SYMBOLIC)
      if(NOT result EQUAL 0)
        set(linked FALSE)
      endif()
    endif()
  endforeach()
  if(linked)
    target_include_directories(${target} ${scope} "${view}")
  else()
    message(WARNING "No folder links here: ${target} sees every layer, layering is not checked")
    target_include_directories(${target} ${scope} "${CMAKE_SOURCE_DIR}/src")
  endif()
endfunction()
