# The page's routines that the test screen and `brontar` run too: reading a
# registry value, the settings store, monitor limits, the calls into the
# 16-bit support library, and starting the test screen. Included by the
# native and the Windows build, which make them the library brntrset_routines.
set(BRNTRSET_ROUTINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/read_registry_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/format_fixed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/decimal_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mode_timing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/monitor_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_screen_launch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thunk/qorhlp16_calls.cpp)
