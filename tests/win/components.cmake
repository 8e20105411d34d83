# The single-instance guard and the tray icon. Both make top-level windows
# and talk to every window of the desktop, so they run alone.

# Starts as the program does and makes the guard's check; the guard test runs
# it as the other instances.
add_executable(guard_child children/guard_child.cpp)
target_link_libraries(guard_child PRIVATE tamarko_components)
target_include_directories(guard_child PRIVATE ${PROJECT_SOURCE_DIR})

tamarko_test(win_multiinst LABEL win SERIAL TIMEOUT 90 SOURCES multiinst_test.cpp LIBS tamarko_components)
add_dependencies(win_multiinst guard_child)
tamarko_test(win_trayicon LABEL win SERIAL TIMEOUT 60 SOURCES trayicon_test.cpp LIBS tamarko_components)
