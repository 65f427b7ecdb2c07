# The Qt windows and the start-up, when they are built: the smoke runs take only the
# smallest sizes.
if(TARGET tankora_ui)
  tankora_add_bench(refresh_view_bench ${CMAKE_CURRENT_LIST_DIR}/refresh_view_bench.cpp
                    LIBS tankora_log tankora_ui SMOKE_FILTER "entries:1000/")
  tankora_add_bench(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp
                    LIBS tankora_app_core tankora_ui SMOKE_FILTER "entries:0/")
endif()
