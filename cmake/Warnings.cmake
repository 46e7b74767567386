# Common compile settings for every Voxlet target.
add_library(voxlet_options INTERFACE)
target_compile_options(voxlet_options INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor)
if(VOXLET_WERROR)
  target_compile_options(voxlet_options INTERFACE -Werror)
endif()
if(VOXLET_SANITIZE)
  target_compile_options(voxlet_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
  target_link_options(voxlet_options INTERFACE -fsanitize=address,undefined)
endif()
