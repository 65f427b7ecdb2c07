# The Qt windows, when they are built: the smoke run takes only the smallest sizes.
if(TARGET tankora_ui)
  tankora_add_bench(refresh_view_bench ${CMAKE_CURRENT_LIST_DIR}/refresh_view_bench.cpp
                    LIBS tankora_log tankora_ui SMOKE_FILTER "entries:1000/")
endif()
