# Saving a track into iTunes: the entry the save dialogs call.
target_sources(tobrel_recorderapp PRIVATE ${CMAKE_CURRENT_LIST_DIR}/itunes/recorderItunes.cpp)
target_include_directories(tobrel_recorderapp PUBLIC "${CMAKE_CURRENT_LIST_DIR}/itunes")
