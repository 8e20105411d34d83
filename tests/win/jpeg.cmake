# JPEG decoding and the about box's picture. The program's own resource
# script is compiled in, so the test reads the very resource that ships.
set(TAMARKO_RESOURCE_SCRIPT ${PROJECT_SOURCE_DIR}/resources/tamarko.rc)
tamarko_test(win_jpeg LABEL win SOURCES jpeg_test.cpp ${TAMARKO_RESOURCE_SCRIPT} LIBS tamarko_jpeg)
# windres does not report the files it embeds as dependencies.
set_property(SOURCE ${TAMARKO_RESOURCE_SCRIPT} APPEND PROPERTY OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/resources/about.jpg)
