# stowr_hash: message digests from the system, BCrypt on Windows and OpenSSL's libcrypto
# elsewhere (the Debian package libssl-dev).
if(WIN32)
  add_library(stowr_hash STATIC ${CMAKE_CURRENT_LIST_DIR}/hash_bcrypt.cpp)
  target_link_libraries(stowr_hash PUBLIC bcrypt)
else()
  find_package(OpenSSL 3 REQUIRED COMPONENTS Crypto)
  add_library(stowr_hash STATIC ${CMAKE_CURRENT_LIST_DIR}/hash_openssl.cpp)
  target_link_libraries(stowr_hash PUBLIC OpenSSL::Crypto)
endif()
target_include_directories(stowr_hash PUBLIC ${PROJECT_SOURCE_DIR})
