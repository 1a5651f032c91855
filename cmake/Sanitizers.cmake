# DOWNLOAD_SANITIZE selects one sanitizer build for the whole tree:
#   address   AddressSanitizer + UndefinedBehaviorSanitizer
#   thread    ThreadSanitizer
set(DOWNLOAD_SANITIZE "" CACHE STRING "address | thread | empty for none")

if(DOWNLOAD_SANITIZE STREQUAL "address")
  set(_san_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(DOWNLOAD_SANITIZE STREQUAL "thread")
  set(_san_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT DOWNLOAD_SANITIZE STREQUAL "")
  message(FATAL_ERROR "DOWNLOAD_SANITIZE must be address, thread or empty")
endif()

if(_san_flags)
  add_compile_options(${_san_flags})
  add_link_options(${_san_flags})
endif()
