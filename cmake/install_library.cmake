# Installs the module library for reuse (component dev): the public headers
# under include/quor7706/, one static library per folder, a CMake package
# (find_package(Quor7706 CONFIG) gives Quor7706::container, ::image, ::raster,
# ::text, ::audio and ::platform) and quor7706.pc for pkg-config. Headers are
# included as in this tree, "image/img.h", so include/quor7706 is the include
# folder. The demo's own folders (assets, program, tools) are not part of it.
include(CMakePackageConfigHelpers)

set(QUOR_LIBRARY_FOLDERS container image raster text audio platform)
set(QUOR_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/quor7706)
set(QUOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quor7706)

set(library_targets)
foreach(folder IN LISTS QUOR_LIBRARY_FOLDERS)
    # libquor7706_image.a beside the system's other libraries; Quor7706::image in CMake.
    set_target_properties(quor_${folder} PROPERTIES OUTPUT_NAME quor7706_${folder}
                                                    EXPORT_NAME ${folder})
    target_compile_features(quor_${folder} PUBLIC cxx_std_20)
    list(APPEND library_targets quor_${folder})
    # Only the modules' own interfaces are installed: not the internal headers,
    # nor container's inline helpers for the modules' code (common.h, vector_level.h),
    # which no interface includes.
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    list(FILTER headers EXCLUDE REGEX "(_internal|/container/common|/container/vector_level)\\.h$")
    install(FILES ${headers} DESTINATION ${QUOR_INCLUDE_DIR}/${folder} COMPONENT dev)
endforeach()

install(TARGETS ${library_targets} EXPORT Quor7706Targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        INCLUDES DESTINATION ${QUOR_INCLUDE_DIR})
install(EXPORT Quor7706Targets NAMESPACE Quor7706:: DESTINATION ${QUOR_CMAKE_DIR} COMPONENT dev)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/Quor7706Config.cmake.in
                              ${PROJECT_BINARY_DIR}/Quor7706Config.cmake
                              INSTALL_DESTINATION ${QUOR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/Quor7706ConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/Quor7706Config.cmake
              ${PROJECT_BINARY_DIR}/Quor7706ConfigVersion.cmake
        DESTINATION ${QUOR_CMAKE_DIR} COMPONENT dev)

# pkg-config: the libraries are static, so the link line names every one of
# them, users first, and SDL 1.2 is a plain Requires.
set(QUOR_PC_LIBS "")
foreach(folder platform text raster audio image container)
    string(APPEND QUOR_PC_LIBS " -lquor7706_${folder}")
endforeach()
file(RELATIVE_PATH QUOR_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" QUOR_PC_TO_PREFIX "${QUOR_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quor7706.pc.in ${PROJECT_BINARY_DIR}/quor7706.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quor7706.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)
