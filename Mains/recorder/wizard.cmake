# The YouTube Wizard (wizard/): its dialog, the page's messages and the naming
# queue, part of the running recorder's library. The web engine itself is not
# linked: the browser host loads its view library when the wizard first opens.
target_sources(tobrel_recorderapp PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wizard/recorderDlgFindSongs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard/recorderNamingQueue.cpp)
target_include_directories(tobrel_recorderapp PUBLIC "${CMAKE_CURRENT_LIST_DIR}/wizard")
target_link_libraries(tobrel_recorderapp PUBLIC tobrel_sdkWebBrowser)
