# The web features of the recorder: the web connection and its side jobs at
# start-up (installation e-mail, dynamic update, announcements), the modeless
# message window and the e-mail dialog. Part of the running recorder's library.
set(recorder_web_dir "${CMAKE_CURRENT_LIST_DIR}/web")
target_sources(tobrel_recorderapp PRIVATE
  ${recorder_web_dir}/recorderWeb.cpp
  ${recorder_web_dir}/recorderDlgMsgModeless.cpp
  ${recorder_web_dir}/recorderDlgAskEmail.cpp)
target_include_directories(tobrel_recorderapp PUBLIC "${recorder_web_dir}")
target_link_libraries(tobrel_recorderapp PUBLIC tobrel_web tobrel_network PRIVATE tobrel_announce)
