# The record store and the list refresh: the smoke run takes only the 1,000-record sizes.
tankora_add_bench(store_access_bench ${CMAKE_CURRENT_LIST_DIR}/store_access_bench.cpp
                  LIBS tankora_store SMOKE_FILTER "records:1000/")
tankora_add_bench(purge_bench ${CMAKE_CURRENT_LIST_DIR}/purge_bench.cpp
                  LIBS tankora_store SMOKE_FILTER "records:1000/")
