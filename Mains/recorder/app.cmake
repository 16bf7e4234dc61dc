# The running recorder: start-up and shutdown, the main window and its window
# procedure, the timer and modes, the track list, the system sound and the
# message dialogs (library tobrel_recorderapp, shared with the window tests),
# and the executable `tobrel`.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
set(recorder_app_dir "${CMAKE_CURRENT_LIST_DIR}")
tobrel_library(recorderapp
  SOURCES
    ${recorder_app_dir}/recorderInit.cpp
    ${recorder_app_dir}/recorderMainWndProc.cpp
    ${recorder_app_dir}/recorderTimer.cpp
    ${recorder_app_dir}/recorderSongList.cpp
    ${recorder_app_dir}/recorderSystemSounds.cpp
    ${recorder_app_dir}/recorderDlgMsgModal.cpp
  LIBS
    Qt6::Widgets tobrel_ptListView tobrel_recorderMainSkin tobrel_recorder_settings tobrel_recCache
    tobrel_sndDevices tobrel_skin tobrel_hwnd tobrel_instance tobrel_browser tobrel_ptime tobrel_reg
    tobrel_operatingSystem tobrel_File tobrel_pstr tobrel_slout tobrel_report)
target_include_directories(tobrel_recorderapp PUBLIC "${recorder_app_dir}")

add_executable(tobrel ${recorder_app_dir}/recorderMain.cpp)
target_link_libraries(tobrel PRIVATE tobrel_recorderapp tobrel_pulse tobrel_programFolders)
set_target_properties(tobrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/Mains/recorder")
target_compile_definitions(tobrel PRIVATE TOBREL_APP_ID="${TOBREL_APP_ID}")
# The encoder library the engine loads from the program's folder.
if(TARGET tobrel_lame_enc)
  add_dependencies(tobrel tobrel_lame_enc)
endif()
