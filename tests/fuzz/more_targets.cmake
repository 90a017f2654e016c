lum_fuzz(wave ${CMAKE_CURRENT_SOURCE_DIR}/wave_fuzz.cpp luminaria_mixer
  ${LUM_GAME_DIR}/mid)
lum_fuzz(settings ${CMAKE_CURRENT_SOURCE_DIR}/settings_fuzz.cpp luminaria_mixer
  ${CMAKE_SOURCE_DIR}/data/MIXER.INI)
lum_fuzz(sources ${CMAKE_CURRENT_SOURCE_DIR}/sources_fuzz.cpp datc_lib
  ${CMAKE_SOURCE_DIR}/data/stages/story1.txt ${CMAKE_SOURCE_DIR}/data/stages/story61.txt
  ${CMAKE_SOURCE_DIR}/data/people/people0.txt ${CMAKE_SOURCE_DIR}/data/tables/classes.toml)

# Paths that data drives beyond the readers: scripts, battles from damaged records, the save
# with its recovery. Each input is a whole scene, battle or folder, so fewer mutations.
lum_fuzz(story ${CMAKE_CURRENT_SOURCE_DIR}/story_fuzz.cpp luminaria_core MUTATIONS 3000)
lum_fuzz(battle ${CMAKE_CURRENT_SOURCE_DIR}/battle_fuzz.cpp luminaria_core MUTATIONS 2000)
lum_fuzz(save ${CMAKE_CURRENT_SOURCE_DIR}/save_fuzz.cpp luminaria_core MUTATIONS 2000)
lum_fuzz(place ${CMAKE_CURRENT_SOURCE_DIR}/place_fuzz.cpp luminaria_core MUTATIONS 1500)
