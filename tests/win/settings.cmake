# The about box's system texts, settings files and desktop shortcuts.
# The resource gives the test program a version to read back.
tamarko_test(win_sysinfo LABEL win SOURCES sysinfo_test.cpp sysinfo_test.rc LIBS tamarko_core_win)
tamarko_test(win_settingsfile LABEL win SOURCES settingsfile_test.cpp LIBS tamarko_core_win)
tamarko_test(win_shelllink LABEL win SOURCES shelllink_test.cpp LIBS tamarko_core_win)

# A folder longer than MAX_PATH: its copy is started from the Unix side.
add_test(NAME win_sysinfo_long_path
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/sysinfo_long_path.sh $<TARGET_FILE:win_sysinfo>)
set_tests_properties(win_sysinfo_long_path PROPERTIES LABELS win TIMEOUT 120)
