# Writes the official demo scenes into ${APP_DIR}/scenes and the default
# playlists into ${APP_DIR}/playlists, with the scene tool ${KVSCENE}.
# Both folders are generated content and are rebuilt from scratch.
#
# Playlist entries name each scene by id (matched first) and by its path
# relative to the application directory, since the absolute path depends on
# where the build lies (docs/file-formats.md).

cmake_policy(SET CMP0007 NEW)   # keep empty fields (no licence, no tags)

foreach(var KVSCENE APP_DIR STAMP)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "demo-content.cmake needs -D${var}=...")
    endif()
endforeach()

# path | id | name | author | type or flags | licence | tags | date | relicensing | description
set(scenes
    "Nature/aurora-veil.kvc|kv.aurora-veil|Aurora Veil|Mira Lindqvist|background|CC BY 4.0|Calm,Nature,Colorful|2024-11-02T21:14:00|yes|Curtains of green light drift over a dark sky and sway with the bass."
    "Nature/tidal-drift.kvc|kv.tidal-drift|Tidal Drift|Jonas Weber|background|CC BY-SA 4.0|Calm,Water|2023-06-18T09:30:00|yes|Slow swells roll in time with the music."
    "Nature/forest-rain.kvc|kv.forest-rain|Forest Rain|Aiko Tanaka|background|CC0|Nature,Ambient,Dark|2022-03-05T16:45:10|yes|Rain streaks through a dim canopy and hi-hats make it pour."
    "neon-grid.kvc|kv.neon-grid|Neon Grid|Rafael Ortiz|background|CC BY-NC 4.0|Retro,Synthwave,Colorful|2025-01-20T12:00:00|no|An endless eighties horizon that pulses on the kick."
    "starfield-cruise.kvc|kv.starfield-cruise|Starfield Cruise|Kelvra Team|background|CC BY 4.0|Space,Calm|2021-09-09T08:08:08|yes|Stars stream past and the louder the track, the faster the ship."
    "Abstract/prism-bloom.kvc|kv.prism-bloom|Prism Bloom|Lena Kowalski|foreground|CC BY-SA 4.0|Abstract,Colorful,Energetic|2024-05-14T19:22:31|yes|Crystal petals unfold on every beat."
    "Abstract/pulse-rings.kvc|kv.pulse-rings|Pulse Rings|Kelvra Team|foreground|CC BY 4.0|Abstract,Beat|2023-12-01T10:10:10|yes|Concentric rings ripple outwards from the centre."
    "spectrum-bars.kvc|kv.spectrum-bars|Spectrum Bars|Tomás Silva|foreground|CC0 1.0|Classic,Beat,Bars|2020-07-04T14:00:00|yes|The classic analyser: sixty-four bars, one per band."
    "firefly-swarm.kvc|kv.firefly-swarm|Firefly Swarm|Aiko Tanaka|foreground|CC BY-NC-SA 4.0|Nature,Particles,Calm|2024-08-27T23:59:59|no|A swarm of glowing particles follows the melody."
    "lyric-ribbons.kvc|kv.lyric-ribbons|Lyric Ribbons|Noor Haddad|foreground|CC BY-ND 4.0|Abstract,Ribbons|2022-10-31T18:30:00|yes|Silk ribbons trace the vocals across the screen."
    "Effects/vhs-memories.kvc|kv.vhs-memories|VHS Memories|Rafael Ortiz|postprocessing|CC BY 3.0|Retro,Glitch|2021-02-14T20:20:20|yes|Tape wobble, colour bleed and tracking noise."
    "Effects/chromatic-shift.kvc|kv.chromatic-shift|Chromatic Shift|Lena Kowalski|postprocessing|CC BY-SA 3.0|Glitch,Energetic|2024-02-29T12:34:56|yes|Red, green and blue split apart on loud passages."
    "Effects/bloom-haze.kvc|kv.bloom-haze|Bloom Haze|Kelvra Team|postprocessing|CC BY 4.0|Calm,Soft|2025-03-03T03:03:03|yes|A soft glow over everything bright."
    "kaleidoscope.kvc|kv.kaleidoscope|Kaleidoscope|Noor Haddad|postprocessing|CC BY-NC-ND 4.0|Abstract,Colorful,Trippy|2023-04-01T00:00:01|no|Mirrors the picture into a turning six-fold star."
    "Transitions/crossfade-bloom.kvc|kv.crossfade-bloom|Crossfade Bloom|Kelvra Team|transition|CC0|Soft|2020-01-01T00:00:00|yes|A gentle dissolve through white."
    "Transitions/shatter.kvc|kv.shatter|Shatter|Jonas Weber|transition|CC BY 4.0|Energetic,Glitch|2024-10-10T10:10:10|yes|The old scene breaks into shards that fall away."
    "Transitions/ink-wipe.kvc|kv.ink-wipe|Ink Wipe|Mira Lindqvist|transition|CC BY-NC 3.0|Dark,Soft|2022-12-24T17:00:00|yes|Ink spreads across the screen and reveals the next scene."
    "zoom-tunnel.kvc|kv.zoom-tunnel|Zoom Tunnel|Tomás Silva|transition|CC BY-SA 4.0|Energetic,Space|2023-08-15T15:15:15|yes|A dive through a tunnel into the next scene."
    "club-lasers.kvc|kv.club-lasers|Club Lasers|Rafael Ortiz|standalone|CC BY 4.0|Party,Energetic,Beat|2025-06-21T22:00:00|yes|Laser fans and strobes for the dance floor."
    "deep-ocean.kvc|kv.deep-ocean|Deep Ocean|Aiko Tanaka|standalone|CC BY-SA 4.0|Water,Calm,Dark|2024-12-12T12:12:12|yes|Jellyfish glow in the deep, pulsing with the bass."
    "retro-arcade.kvc|kv.retro-arcade|Retro Arcade|Lena Kowalski|standalone|CC BY-NC-SA 3.0|Retro,Party|2021-11-11T11:11:11|no|Pixel invaders march to the beat."
    "solar-flare.kvc|kv.solar-flare|Solar Flare|Kelvra Team|standalone|CC BY 4.0|Space,Energetic,Colorful|2025-09-30T07:45:00|yes|The sun's surface boils and erupts on the drops."
    "minimal-waveform.kvc|kv.minimal-waveform|Minimal Waveform|Jonas Weber|standalone||Classic,Minimal|2019-05-05T05:05:05|yes|One thin line, the waveform as it is."
    "paper-lanterns.kvc|kv.paper-lanterns|Paper Lanterns|Noor Haddad|3|All rights reserved|Calm,Festive|2023-02-10T20:00:00|no|Lanterns rise into the night sky, one per note."
    "special/PostprocessingBackground.kvc|kv.postprocessing-background|Postprocessing Background|Kelvra Team|0x801|CC0||2020-01-01T00:00:00|yes|The picture behind a post-processing preview, hidden from the browser."
)

# Which scenes each playlist lists, by id.
set(playlist_Default
    kv.aurora-veil kv.neon-grid kv.starfield-cruise kv.prism-bloom kv.spectrum-bars
    kv.lyric-ribbons kv.vhs-memories kv.bloom-haze kv.crossfade-bloom kv.shatter
    kv.club-lasers kv.deep-ocean kv.solar-flare)
set(playlist_Chill
    kv.aurora-veil kv.tidal-drift kv.forest-rain kv.firefly-swarm kv.bloom-haze
    kv.crossfade-bloom kv.ink-wipe kv.deep-ocean kv.paper-lanterns)
set(playlist_Party
    kv.neon-grid kv.prism-bloom kv.pulse-rings kv.chromatic-shift kv.kaleidoscope
    kv.shatter kv.zoom-tunnel kv.club-lasers kv.retro-arcade kv.solar-flare)
set(playlists Default Chill Party)

file(REMOVE_RECURSE "${APP_DIR}/scenes" "${APP_DIR}/playlists")
file(MAKE_DIRECTORY "${APP_DIR}/playlists")

set(index 0)
foreach(record IN LISTS scenes)
    string(REPLACE "|" ";" fields "${record}")
    list(GET fields 0 rel)
    list(GET fields 1 id)
    list(GET fields 2 name)
    list(GET fields 3 author)
    list(GET fields 4 type)
    list(GET fields 5 license)
    list(GET fields 6 tags)
    list(GET fields 7 date)
    list(GET fields 8 relicensing)
    list(GET fields 9 description)

    set(args create "${APP_DIR}/scenes/${rel}" --force --id "${id}" --name "${name}"
        --author "${author}" --date "${date}" --description "${description}")
    # An empty argument would vanish from the command line: leave the option out.
    if(NOT license STREQUAL "")
        list(APPEND args --license "${license}")
    endif()
    if(type MATCHES "^(background|foreground|postprocessing|transition|standalone)$")
        list(APPEND args --type "${type}")
    else()
        list(APPEND args --type-flags "${type}")
    endif()
    if(relicensing STREQUAL "no")
        list(APPEND args --no-relicensing)
    endif()
    string(REPLACE "," ";" tag_list "${tags}")
    foreach(tag IN LISTS tag_list)
        list(APPEND args --tag "${tag}")
    endforeach()
    # Content of varied size, so the files look like real scenes.
    math(EXPR content_size "4096 + (${index} * 7919) % 60000")
    list(APPEND args --content-size ${content_size})
    math(EXPR index "${index} + 1")

    get_filename_component(dir "${APP_DIR}/scenes/${rel}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    execute_process(COMMAND "${KVSCENE}" ${args} RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "kvscene failed for ${rel}: ${error}")
    endif()

    # Remembered for the playlists: path and the list the scene belongs in.
    if(type STREQUAL "background")
        set(flags 1)
    elseif(type STREQUAL "foreground")
        set(flags 2)
    elseif(type STREQUAL "postprocessing")
        set(flags 4)
    elseif(type STREQUAL "transition")
        set(flags 8)
    elseif(type STREQUAL "standalone")
        set(flags 0)
    else()
        math(EXPR flags "${type}")
    endif()
    set(path_${id} "scenes/${rel}")
    set(flags_${id} ${flags})
endforeach()

foreach(playlist IN LISTS playlists)
    foreach(list_name background foreground postprocessing transition standalone)
        set(items_${list_name} "")
    endforeach()
    foreach(id IN LISTS playlist_${playlist})
        if(NOT DEFINED path_${id})
            message(FATAL_ERROR "playlist ${playlist} names the unknown scene ${id}")
        endif()
        set(flags ${flags_${id}})
        math(EXPR bg "${flags} & 1")
        math(EXPR fg "${flags} & 2")
        math(EXPR pp "${flags} & 4")
        math(EXPR tr "${flags} & 8")
        if(bg)
            set(list_name background)
        elseif(fg)
            set(list_name foreground)
        elseif(pp)
            set(list_name postprocessing)
        elseif(tr)
            set(list_name transition)
        else()
            set(list_name standalone)
        endif()
        set(item "    { \"id\": \"${id}\", \"path\": \"${path_${id}}\", \"typeFlags\": ${flags} }")
        if(items_${list_name})
            string(APPEND items_${list_name} ",\n${item}")
        else()
            set(items_${list_name} "${item}")
        endif()
    endforeach()
    set(json "{\n")
    set(first TRUE)
    foreach(list_name background foreground postprocessing transition standalone)
        if(NOT first)
            string(APPEND json ",\n")
        endif()
        set(first FALSE)
        if(items_${list_name})
            string(APPEND json "  \"${list_name}\": [\n${items_${list_name}}\n  ]")
        else()
            string(APPEND json "  \"${list_name}\": []")
        endif()
    endforeach()
    string(APPEND json "\n}\n")
    file(WRITE "${APP_DIR}/playlists/${playlist}.kvp" "${json}")
endforeach()

file(WRITE "${STAMP}" "")
