# libjpeg for the Windows trees: Debian has no Windows build of it, so
# scripts/build-libjpeg.sh cross-builds the static library once into build/deps.
# It is plain C, so the same library links into the win32-thread program and
# the posix-thread test programs alike.
set(TAMARKO_LIBJPEG_DIR "${PROJECT_SOURCE_DIR}/build/deps/libjpeg-i686"
    CACHE PATH "Installed static libjpeg for i686 Windows")

if(NOT EXISTS "${TAMARKO_LIBJPEG_DIR}/lib/libjpeg.a" OR NOT EXISTS "${TAMARKO_LIBJPEG_DIR}/include/jpeglib.h")
  message(FATAL_ERROR "libjpeg is not built in ${TAMARKO_LIBJPEG_DIR}; run scripts/build-libjpeg.sh "
                      "(scripts/build.sh does so for the Windows trees)")
endif()

add_library(libjpeg::libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(libjpeg::libjpeg PROPERTIES
  IMPORTED_LOCATION "${TAMARKO_LIBJPEG_DIR}/lib/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${TAMARKO_LIBJPEG_DIR}/include")

# Decoding the about box's picture.
add_library(tamarko_jpeg STATIC ${PROJECT_SOURCE_DIR}/win32/jpeg_picture.cpp)
target_include_directories(tamarko_jpeg PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tamarko_jpeg PUBLIC libjpeg::libjpeg gdi32)
