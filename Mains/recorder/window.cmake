# The main window's displays and mouse input, the transport and the play
# position: part of the running recorder's library.
target_sources(tobrel_recorderapp PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/recorderMainDisplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorderMainInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorderTransport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recorderPlayPosition.cpp)
