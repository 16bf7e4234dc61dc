# Saving tracks: the save flow, the two save dialogs, the MP3 save and the
# folder picker (save/), and the track dialogs around the list: Rename,
# Options, Clear List Confirmation, the main menu, About and the dialogs'
# look (dialogs/). Part of the running recorder's library.
target_sources(tobrel_recorderapp PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/save/recorderSave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save/recorderSaveTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save/recorderMP3.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save/recorderFolderPicker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save/recorderDlgSaveSingleTrack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save/recorderDlgSaveMultipleTracks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderDialogForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderDialogLook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderTagFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderDlgRename.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderDlgOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderDlgClearOnExit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderMainMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs/recorderDlgAbout.cpp)
target_include_directories(tobrel_recorderapp PUBLIC
  "${CMAKE_CURRENT_LIST_DIR}/save" "${CMAKE_CURRENT_LIST_DIR}/dialogs")
target_link_libraries(tobrel_recorderapp PUBLIC tobrel_autoComplete)
