# Media-player naming (playerNaming/): part of the running recorder's library,
# over the media players' interface only. The session bus's players (Qt D-Bus)
# are linked by the executable alone.
target_sources(tobrel_recorderapp PRIVATE ${CMAKE_CURRENT_LIST_DIR}/playerNaming/recorderPlayerNaming.cpp)
target_include_directories(tobrel_recorderapp PUBLIC "${CMAKE_CURRENT_LIST_DIR}/playerNaming")
target_link_libraries(tobrel_recorderapp PUBLIC tobrel_mediaPlayers)
target_link_libraries(tobrel PRIVATE tobrel_mediaPlayersDbus)
