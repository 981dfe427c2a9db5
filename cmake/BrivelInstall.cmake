# Install and export rules of the Brivel package.
#
# `cmake --install <build>` puts
#   include/brivel/{common,platform,gui/...}/*.h  the public headers, in the
#       source tree's layout, so that they keep including each other by the
#       same paths ("gui/grid/grid.h"); users write #include <gui/grid/grid.h>
#   lib/libbrivel_{common,platform,gui}.a
#   lib/cmake/Brivel/BrivelConfig.cmake, BrivelConfigVersion.cmake and the
#       exported targets Brivel::Common, Brivel::Platform, Brivel::Gui, whose
#       include directory is include/brivel.
# Nothing of app/, tests/ or bench/ is installed.

include(CMakePackageConfigHelpers)

# Headers that only the libraries' own sources include: not installed. No
# installed header may include one of them (scripts/test-package compiles
# every installed header against the install tree alone).
set(BRIVEL_PRIVATE_HEADERS
  common/number_text.h
  common/sanitizers.h
  common/timer_impl.h
  gui/grid/grid_call.h
  gui/grid/grid_impl.h
  gui/grid/scroll_state.h
  gui/header/header_impl.h
  gui/paint/cell_paint_detail.h
  gui/rows/item_pool.h
  gui/rows/live_items.h
  gui/rows/row_list_operation.h)

set(_brivel_public_headers)
foreach(_dir common platform gui)
  file(GLOB_RECURSE _headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
       ${PROJECT_SOURCE_DIR}/${_dir}/*.h)
  list(APPEND _brivel_public_headers ${_headers})
endforeach()
list(REMOVE_ITEM _brivel_public_headers ${BRIVEL_PRIVATE_HEADERS})
list(SORT _brivel_public_headers)
foreach(_header ${_brivel_public_headers})
  get_filename_component(_subdir ${_header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${_header}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brivel/${_subdir})
endforeach()
# The list the package test checks the install tree against.
list(JOIN _brivel_public_headers "\n" _brivel_header_lines)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/brivel_public_headers.txt
     CONTENT "${_brivel_header_lines}\n")

install(TARGETS brivel_common brivel_platform brivel_gui
        EXPORT BrivelTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

set(_brivel_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Brivel)
install(EXPORT BrivelTargets NAMESPACE Brivel:: DESTINATION ${_brivel_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BrivelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/BrivelConfig.cmake
  INSTALL_DESTINATION ${_brivel_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BrivelConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BrivelConfig.cmake ${PROJECT_BINARY_DIR}/BrivelConfigVersion.cmake
        DESTINATION ${_brivel_cmake_dir})
