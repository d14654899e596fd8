// Checks the project's CLAP declarations against the published 1.2.5 layout
// table (VARNEL_CLAP_ABI_TABLE, rows of this build's platform): every declared
// structure's size, alignment, field offsets and field types, every id string
// and every numeric constant. A scan of the header makes sure that nothing it
// declares escapes the tables below.

#include "clap/ClapAbi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// ---- Type names in the table's spelling -----------------------------------

template <class T> struct TypeName;

#define VARNEL_TYPE_NAME(T, text)                                                                            \
    template <> struct TypeName<T> {                                                                         \
        static std::string name() { return text; }                                                           \
    };
VARNEL_TYPE_NAME(void, "void")
VARNEL_TYPE_NAME(bool, "_Bool")
VARNEL_TYPE_NAME(char, "char")
VARNEL_TYPE_NAME(float, "float")
VARNEL_TYPE_NAME(double, "double")
VARNEL_TYPE_NAME(uint8_t, "uint8_t")
VARNEL_TYPE_NAME(int16_t, "int16_t")
VARNEL_TYPE_NAME(uint16_t, "uint16_t")
VARNEL_TYPE_NAME(int32_t, "int32_t")
VARNEL_TYPE_NAME(uint32_t, "uint32_t")
VARNEL_TYPE_NAME(int64_t, "int64_t")
VARNEL_TYPE_NAME(uint64_t, "uint64_t")

template <class T> struct TypeName<const T> {
    static std::string name() { return "const " + TypeName<T>::name(); }
};
template <class T> struct TypeName<T*> {
    static std::string name() { return TypeName<T>::name() + " *"; }
};
template <class T> struct TypeName<T* const> {
    static std::string name() { return TypeName<T>::name() + " *const"; }
};
template <class T, size_t N> struct TypeName<T[N]> {
    static std::string name() { return TypeName<T>::name() + "[" + std::to_string(N) + "]"; }
};
template <class R, class... Args> struct TypeName<R (*)(Args...)> {
    static std::string name() {
        std::string text = TypeName<R>::name() + " (*)(";
        bool first = true;
        ((text += (first ? "" : ", ") + TypeName<Args>::name(), first = false), ...);
        return text + ")";
    }
};

// The table spells types as the published declarations do; reduce both sides
// to one form: no "struct", no calling convention, typedefs of integers
// resolved, and integers named by their width.
std::string normalisedType(std::string text) {
    static const std::pair<std::regex, std::string> rules[] = {
        {std::regex(R"( __attribute__\(\(cdecl\)\))"), ""},
        {std::regex(R"(\bstruct )"), ""},
        {std::regex(R"(\b(clap_\w+)_t\b)"), "$1"},
        {std::regex(R"(\b(clap_id|clap_param_info_flags|clap_param_rescan_flags|clap_param_clear_flags|)"
                    R"(clap_posix_fd_flags|clap_context_menu_item_kind|clap_trigger_\w+)\b)"),
         "uint32_t"},
        {std::regex(R"(\b(clap_beattime|clap_sectime)\b)"), "int64_t"},
        {std::regex(R"(\b(clap_timestamp|size_t)\b)"), "uint64_t"},
        {std::regex(
             R"(\b(clap_process_status|clap_log_severity|clap_note_expression|clap_plugin_render_mode|int)\b)"),
         "int32_t"},
        {std::regex(R"(\(void\))"), "()"},
        {std::regex(R"(\s+)"), " "},
        {std::regex(R"(\* (\(|\*))"), "*$1"},
    };
    for (const auto& [pattern, replacement] : rules)
        text = std::regex_replace(text, pattern, replacement);
    return text;
}

#define VARNEL_STRUCT_TYPE_NAME(S) VARNEL_TYPE_NAME(S, #S)

// ---- The declarations under test ------------------------------------------

struct StructRow {
    std::string name;
    size_t size;
    size_t align;
};
struct FieldRow {
    std::string structName;
    std::string field;
    size_t offset;
    std::string type;
};
struct NumberRow {
    std::string name;
    uint64_t value;
};
struct StringRow {
    std::string name;
    std::string value;
};

#define VARNEL_FIELD(S, F)                                                                                   \
    FieldRow {                                                                                               \
#S, #F, offsetof(S, F), TypeName < decltype(S::F)> ::name()                                          \
    }
#define VARNEL_NUMBER(N)                                                                                     \
    NumberRow {                                                                                              \
#N, static_cast < uint64_t>(N)                                                                       \
    }
#define VARNEL_STRING(N)                                                                                     \
    StringRow {                                                                                              \
#N, std::string(N, sizeof(N) - 1)                                                                    \
    }
#define VARNEL_STRUCT_ROW(S) StructRow{#S, sizeof(S), alignof(S)},

#define VARNEL_CLAP_STRUCTS(X)                                                                               \
    X(clap_version)                                                                                          \
    X(clap_event_header)                                                                                     \
    X(clap_event_note)                                                                                       \
    X(clap_event_param_value)                                                                                \
    X(clap_event_param_mod)                                                                                  \
    X(clap_event_param_gesture)                                                                              \
    X(clap_event_transport)                                                                                  \
    X(clap_event_midi)                                                                                       \
    X(clap_event_midi_sysex)                                                                                 \
    X(clap_input_events)                                                                                     \
    X(clap_output_events)                                                                                    \
    X(clap_audio_buffer)                                                                                     \
    X(clap_process)                                                                                          \
    X(clap_istream)                                                                                          \
    X(clap_ostream)                                                                                          \
    X(clap_host)                                                                                             \
    X(clap_plugin_descriptor)                                                                                \
    X(clap_plugin)                                                                                           \
    X(clap_plugin_entry)                                                                                     \
    X(clap_plugin_factory)                                                                                   \
    X(clap_audio_port_info)                                                                                  \
    X(clap_plugin_audio_ports)                                                                               \
    X(clap_host_audio_ports)                                                                                 \
    X(clap_audio_ports_config)                                                                               \
    X(clap_plugin_audio_ports_config)                                                                        \
    X(clap_plugin_audio_ports_config_info)                                                                   \
    X(clap_host_audio_ports_config)                                                                          \
    X(clap_note_port_info)                                                                                   \
    X(clap_plugin_note_ports)                                                                                \
    X(clap_host_note_ports)                                                                                  \
    X(clap_param_info)                                                                                       \
    X(clap_plugin_params)                                                                                    \
    X(clap_host_params)                                                                                      \
    X(clap_plugin_state)                                                                                     \
    X(clap_host_state)                                                                                       \
    X(clap_plugin_latency)                                                                                   \
    X(clap_host_latency)                                                                                     \
    X(clap_plugin_tail)                                                                                      \
    X(clap_host_tail)                                                                                        \
    X(clap_host_thread_check)                                                                                \
    X(clap_host_log)                                                                                         \
    X(clap_color)                                                                                            \
    X(clap_track_info)                                                                                       \
    X(clap_plugin_track_info)                                                                                \
    X(clap_host_track_info)                                                                                  \
    X(clap_project_location_element)                                                                         \
    X(clap_plugin_project_location)                                                                          \
    X(clap_plugin_preset_load)                                                                               \
    X(clap_host_preset_load)                                                                                 \
    X(clap_plugin_gain_adjustment_metering)                                                                  \
    X(clap_window)                                                                                           \
    X(clap_gui_resize_hints)                                                                                 \
    X(clap_plugin_gui)                                                                                       \
    X(clap_host_gui)                                                                                         \
    X(clap_context_menu_target)                                                                              \
    X(clap_context_menu_builder)                                                                             \
    X(clap_plugin_context_menu)                                                                              \
    X(clap_host_context_menu)                                                                                \
    X(clap_universal_plugin_id)                                                                              \
    X(clap_preset_discovery_provider_descriptor)                                                             \
    X(clap_preset_discovery_location)                                                                        \
    X(clap_preset_discovery_filetype)                                                                        \
    X(clap_preset_discovery_soundpack)                                                                       \
    X(clap_preset_discovery_metadata_receiver)                                                               \
    X(clap_preset_discovery_provider)                                                                        \
    X(clap_preset_discovery_indexer)                                                                         \
    X(clap_preset_discovery_factory)

VARNEL_CLAP_STRUCTS(VARNEL_STRUCT_TYPE_NAME)

const FieldRow kFields[] = {
    VARNEL_FIELD(clap_version, major),
    VARNEL_FIELD(clap_version, minor),
    VARNEL_FIELD(clap_version, revision),
    VARNEL_FIELD(clap_event_header, size),
    VARNEL_FIELD(clap_event_header, time),
    VARNEL_FIELD(clap_event_header, space_id),
    VARNEL_FIELD(clap_event_header, type),
    VARNEL_FIELD(clap_event_header, flags),
    VARNEL_FIELD(clap_event_note, header),
    VARNEL_FIELD(clap_event_note, note_id),
    VARNEL_FIELD(clap_event_note, port_index),
    VARNEL_FIELD(clap_event_note, channel),
    VARNEL_FIELD(clap_event_note, key),
    VARNEL_FIELD(clap_event_note, velocity),
    VARNEL_FIELD(clap_event_param_value, header),
    VARNEL_FIELD(clap_event_param_value, param_id),
    VARNEL_FIELD(clap_event_param_value, cookie),
    VARNEL_FIELD(clap_event_param_value, note_id),
    VARNEL_FIELD(clap_event_param_value, port_index),
    VARNEL_FIELD(clap_event_param_value, channel),
    VARNEL_FIELD(clap_event_param_value, key),
    VARNEL_FIELD(clap_event_param_value, value),
    VARNEL_FIELD(clap_event_param_mod, header),
    VARNEL_FIELD(clap_event_param_mod, param_id),
    VARNEL_FIELD(clap_event_param_mod, cookie),
    VARNEL_FIELD(clap_event_param_mod, note_id),
    VARNEL_FIELD(clap_event_param_mod, port_index),
    VARNEL_FIELD(clap_event_param_mod, channel),
    VARNEL_FIELD(clap_event_param_mod, key),
    VARNEL_FIELD(clap_event_param_mod, amount),
    VARNEL_FIELD(clap_event_param_gesture, header),
    VARNEL_FIELD(clap_event_param_gesture, param_id),
    VARNEL_FIELD(clap_event_transport, header),
    VARNEL_FIELD(clap_event_transport, flags),
    VARNEL_FIELD(clap_event_transport, song_pos_beats),
    VARNEL_FIELD(clap_event_transport, song_pos_seconds),
    VARNEL_FIELD(clap_event_transport, tempo),
    VARNEL_FIELD(clap_event_transport, tempo_inc),
    VARNEL_FIELD(clap_event_transport, loop_start_beats),
    VARNEL_FIELD(clap_event_transport, loop_end_beats),
    VARNEL_FIELD(clap_event_transport, loop_start_seconds),
    VARNEL_FIELD(clap_event_transport, loop_end_seconds),
    VARNEL_FIELD(clap_event_transport, bar_start),
    VARNEL_FIELD(clap_event_transport, bar_number),
    VARNEL_FIELD(clap_event_transport, tsig_num),
    VARNEL_FIELD(clap_event_transport, tsig_denom),
    VARNEL_FIELD(clap_event_midi, header),
    VARNEL_FIELD(clap_event_midi, port_index),
    VARNEL_FIELD(clap_event_midi, data),
    VARNEL_FIELD(clap_event_midi_sysex, header),
    VARNEL_FIELD(clap_event_midi_sysex, port_index),
    VARNEL_FIELD(clap_event_midi_sysex, buffer),
    VARNEL_FIELD(clap_event_midi_sysex, size),
    VARNEL_FIELD(clap_input_events, ctx),
    VARNEL_FIELD(clap_input_events, size),
    VARNEL_FIELD(clap_input_events, get),
    VARNEL_FIELD(clap_output_events, ctx),
    VARNEL_FIELD(clap_output_events, try_push),
    VARNEL_FIELD(clap_audio_buffer, data32),
    VARNEL_FIELD(clap_audio_buffer, data64),
    VARNEL_FIELD(clap_audio_buffer, channel_count),
    VARNEL_FIELD(clap_audio_buffer, latency),
    VARNEL_FIELD(clap_audio_buffer, constant_mask),
    VARNEL_FIELD(clap_process, steady_time),
    VARNEL_FIELD(clap_process, frames_count),
    VARNEL_FIELD(clap_process, transport),
    VARNEL_FIELD(clap_process, audio_inputs),
    VARNEL_FIELD(clap_process, audio_outputs),
    VARNEL_FIELD(clap_process, audio_inputs_count),
    VARNEL_FIELD(clap_process, audio_outputs_count),
    VARNEL_FIELD(clap_process, in_events),
    VARNEL_FIELD(clap_process, out_events),
    VARNEL_FIELD(clap_istream, ctx),
    VARNEL_FIELD(clap_istream, read),
    VARNEL_FIELD(clap_ostream, ctx),
    VARNEL_FIELD(clap_ostream, write),
    VARNEL_FIELD(clap_host, clap_version),
    VARNEL_FIELD(clap_host, host_data),
    VARNEL_FIELD(clap_host, name),
    VARNEL_FIELD(clap_host, vendor),
    VARNEL_FIELD(clap_host, url),
    VARNEL_FIELD(clap_host, version),
    VARNEL_FIELD(clap_host, get_extension),
    VARNEL_FIELD(clap_host, request_restart),
    VARNEL_FIELD(clap_host, request_process),
    VARNEL_FIELD(clap_host, request_callback),
    VARNEL_FIELD(clap_plugin_descriptor, clap_version),
    VARNEL_FIELD(clap_plugin_descriptor, id),
    VARNEL_FIELD(clap_plugin_descriptor, name),
    VARNEL_FIELD(clap_plugin_descriptor, vendor),
    VARNEL_FIELD(clap_plugin_descriptor, url),
    VARNEL_FIELD(clap_plugin_descriptor, manual_url),
    VARNEL_FIELD(clap_plugin_descriptor, support_url),
    VARNEL_FIELD(clap_plugin_descriptor, version),
    VARNEL_FIELD(clap_plugin_descriptor, description),
    VARNEL_FIELD(clap_plugin_descriptor, features),
    VARNEL_FIELD(clap_plugin, desc),
    VARNEL_FIELD(clap_plugin, plugin_data),
    VARNEL_FIELD(clap_plugin, init),
    VARNEL_FIELD(clap_plugin, destroy),
    VARNEL_FIELD(clap_plugin, activate),
    VARNEL_FIELD(clap_plugin, deactivate),
    VARNEL_FIELD(clap_plugin, start_processing),
    VARNEL_FIELD(clap_plugin, stop_processing),
    VARNEL_FIELD(clap_plugin, reset),
    VARNEL_FIELD(clap_plugin, process),
    VARNEL_FIELD(clap_plugin, get_extension),
    VARNEL_FIELD(clap_plugin, on_main_thread),
    VARNEL_FIELD(clap_plugin_entry, clap_version),
    VARNEL_FIELD(clap_plugin_entry, init),
    VARNEL_FIELD(clap_plugin_entry, deinit),
    VARNEL_FIELD(clap_plugin_entry, get_factory),
    VARNEL_FIELD(clap_plugin_factory, get_plugin_count),
    VARNEL_FIELD(clap_plugin_factory, get_plugin_descriptor),
    VARNEL_FIELD(clap_plugin_factory, create_plugin),
    VARNEL_FIELD(clap_audio_port_info, id),
    VARNEL_FIELD(clap_audio_port_info, name),
    VARNEL_FIELD(clap_audio_port_info, flags),
    VARNEL_FIELD(clap_audio_port_info, channel_count),
    VARNEL_FIELD(clap_audio_port_info, port_type),
    VARNEL_FIELD(clap_audio_port_info, in_place_pair),
    VARNEL_FIELD(clap_plugin_audio_ports, count),
    VARNEL_FIELD(clap_plugin_audio_ports, get),
    VARNEL_FIELD(clap_host_audio_ports, is_rescan_flag_supported),
    VARNEL_FIELD(clap_host_audio_ports, rescan),
    VARNEL_FIELD(clap_audio_ports_config, id),
    VARNEL_FIELD(clap_audio_ports_config, name),
    VARNEL_FIELD(clap_audio_ports_config, input_port_count),
    VARNEL_FIELD(clap_audio_ports_config, output_port_count),
    VARNEL_FIELD(clap_audio_ports_config, has_main_input),
    VARNEL_FIELD(clap_audio_ports_config, main_input_channel_count),
    VARNEL_FIELD(clap_audio_ports_config, main_input_port_type),
    VARNEL_FIELD(clap_audio_ports_config, has_main_output),
    VARNEL_FIELD(clap_audio_ports_config, main_output_channel_count),
    VARNEL_FIELD(clap_audio_ports_config, main_output_port_type),
    VARNEL_FIELD(clap_plugin_audio_ports_config, count),
    VARNEL_FIELD(clap_plugin_audio_ports_config, get),
    VARNEL_FIELD(clap_plugin_audio_ports_config, select),
    VARNEL_FIELD(clap_plugin_audio_ports_config_info, current_config),
    VARNEL_FIELD(clap_plugin_audio_ports_config_info, get),
    VARNEL_FIELD(clap_host_audio_ports_config, rescan),
    VARNEL_FIELD(clap_note_port_info, id),
    VARNEL_FIELD(clap_note_port_info, supported_dialects),
    VARNEL_FIELD(clap_note_port_info, preferred_dialect),
    VARNEL_FIELD(clap_note_port_info, name),
    VARNEL_FIELD(clap_plugin_note_ports, count),
    VARNEL_FIELD(clap_plugin_note_ports, get),
    VARNEL_FIELD(clap_host_note_ports, supported_dialects),
    VARNEL_FIELD(clap_host_note_ports, rescan),
    VARNEL_FIELD(clap_param_info, id),
    VARNEL_FIELD(clap_param_info, flags),
    VARNEL_FIELD(clap_param_info, cookie),
    VARNEL_FIELD(clap_param_info, name),
    VARNEL_FIELD(clap_param_info, module),
    VARNEL_FIELD(clap_param_info, min_value),
    VARNEL_FIELD(clap_param_info, max_value),
    VARNEL_FIELD(clap_param_info, default_value),
    VARNEL_FIELD(clap_plugin_params, count),
    VARNEL_FIELD(clap_plugin_params, get_info),
    VARNEL_FIELD(clap_plugin_params, get_value),
    VARNEL_FIELD(clap_plugin_params, value_to_text),
    VARNEL_FIELD(clap_plugin_params, text_to_value),
    VARNEL_FIELD(clap_plugin_params, flush),
    VARNEL_FIELD(clap_host_params, rescan),
    VARNEL_FIELD(clap_host_params, clear),
    VARNEL_FIELD(clap_host_params, request_flush),
    VARNEL_FIELD(clap_plugin_state, save),
    VARNEL_FIELD(clap_plugin_state, load),
    VARNEL_FIELD(clap_host_state, mark_dirty),
    VARNEL_FIELD(clap_plugin_latency, get),
    VARNEL_FIELD(clap_host_latency, changed),
    VARNEL_FIELD(clap_plugin_tail, get),
    VARNEL_FIELD(clap_host_tail, changed),
    VARNEL_FIELD(clap_host_thread_check, is_main_thread),
    VARNEL_FIELD(clap_host_thread_check, is_audio_thread),
    VARNEL_FIELD(clap_host_log, log),
    VARNEL_FIELD(clap_color, alpha),
    VARNEL_FIELD(clap_color, red),
    VARNEL_FIELD(clap_color, green),
    VARNEL_FIELD(clap_color, blue),
    VARNEL_FIELD(clap_track_info, flags),
    VARNEL_FIELD(clap_track_info, name),
    VARNEL_FIELD(clap_track_info, color),
    VARNEL_FIELD(clap_track_info, audio_channel_count),
    VARNEL_FIELD(clap_track_info, audio_port_type),
    VARNEL_FIELD(clap_plugin_track_info, changed),
    VARNEL_FIELD(clap_host_track_info, get),
    VARNEL_FIELD(clap_project_location_element, flags),
    VARNEL_FIELD(clap_project_location_element, kind),
    VARNEL_FIELD(clap_project_location_element, track_kind),
    VARNEL_FIELD(clap_project_location_element, index),
    VARNEL_FIELD(clap_project_location_element, id),
    VARNEL_FIELD(clap_project_location_element, name),
    VARNEL_FIELD(clap_project_location_element, color),
    VARNEL_FIELD(clap_plugin_project_location, set),
    VARNEL_FIELD(clap_plugin_preset_load, from_location),
    VARNEL_FIELD(clap_host_preset_load, on_error),
    VARNEL_FIELD(clap_host_preset_load, loaded),
    VARNEL_FIELD(clap_plugin_gain_adjustment_metering, get),
    VARNEL_FIELD(clap_window, api),
    VARNEL_FIELD(clap_gui_resize_hints, can_resize_horizontally),
    VARNEL_FIELD(clap_gui_resize_hints, can_resize_vertically),
    VARNEL_FIELD(clap_gui_resize_hints, preserve_aspect_ratio),
    VARNEL_FIELD(clap_gui_resize_hints, aspect_ratio_width),
    VARNEL_FIELD(clap_gui_resize_hints, aspect_ratio_height),
    VARNEL_FIELD(clap_plugin_gui, is_api_supported),
    VARNEL_FIELD(clap_plugin_gui, get_preferred_api),
    VARNEL_FIELD(clap_plugin_gui, create),
    VARNEL_FIELD(clap_plugin_gui, destroy),
    VARNEL_FIELD(clap_plugin_gui, set_scale),
    VARNEL_FIELD(clap_plugin_gui, get_size),
    VARNEL_FIELD(clap_plugin_gui, can_resize),
    VARNEL_FIELD(clap_plugin_gui, get_resize_hints),
    VARNEL_FIELD(clap_plugin_gui, adjust_size),
    VARNEL_FIELD(clap_plugin_gui, set_size),
    VARNEL_FIELD(clap_plugin_gui, set_parent),
    VARNEL_FIELD(clap_plugin_gui, set_transient),
    VARNEL_FIELD(clap_plugin_gui, suggest_title),
    VARNEL_FIELD(clap_plugin_gui, show),
    VARNEL_FIELD(clap_plugin_gui, hide),
    VARNEL_FIELD(clap_host_gui, resize_hints_changed),
    VARNEL_FIELD(clap_host_gui, request_resize),
    VARNEL_FIELD(clap_host_gui, request_show),
    VARNEL_FIELD(clap_host_gui, request_hide),
    VARNEL_FIELD(clap_host_gui, closed),
    VARNEL_FIELD(clap_context_menu_target, kind),
    VARNEL_FIELD(clap_context_menu_target, id),
    VARNEL_FIELD(clap_context_menu_builder, ctx),
    VARNEL_FIELD(clap_context_menu_builder, add_item),
    VARNEL_FIELD(clap_context_menu_builder, supports),
    VARNEL_FIELD(clap_plugin_context_menu, populate),
    VARNEL_FIELD(clap_plugin_context_menu, perform),
    VARNEL_FIELD(clap_host_context_menu, populate),
    VARNEL_FIELD(clap_host_context_menu, perform),
    VARNEL_FIELD(clap_host_context_menu, can_popup),
    VARNEL_FIELD(clap_host_context_menu, popup),
    VARNEL_FIELD(clap_universal_plugin_id, abi),
    VARNEL_FIELD(clap_universal_plugin_id, id),
    VARNEL_FIELD(clap_preset_discovery_provider_descriptor, clap_version),
    VARNEL_FIELD(clap_preset_discovery_provider_descriptor, id),
    VARNEL_FIELD(clap_preset_discovery_provider_descriptor, name),
    VARNEL_FIELD(clap_preset_discovery_provider_descriptor, vendor),
    VARNEL_FIELD(clap_preset_discovery_location, flags),
    VARNEL_FIELD(clap_preset_discovery_location, name),
    VARNEL_FIELD(clap_preset_discovery_location, kind),
    VARNEL_FIELD(clap_preset_discovery_location, location),
    VARNEL_FIELD(clap_preset_discovery_filetype, name),
    VARNEL_FIELD(clap_preset_discovery_filetype, description),
    VARNEL_FIELD(clap_preset_discovery_filetype, file_extension),
    VARNEL_FIELD(clap_preset_discovery_soundpack, flags),
    VARNEL_FIELD(clap_preset_discovery_soundpack, id),
    VARNEL_FIELD(clap_preset_discovery_soundpack, name),
    VARNEL_FIELD(clap_preset_discovery_soundpack, description),
    VARNEL_FIELD(clap_preset_discovery_soundpack, homepage_url),
    VARNEL_FIELD(clap_preset_discovery_soundpack, vendor),
    VARNEL_FIELD(clap_preset_discovery_soundpack, image_path),
    VARNEL_FIELD(clap_preset_discovery_soundpack, release_timestamp),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, receiver_data),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, on_error),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, begin_preset),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, add_plugin_id),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, set_soundpack_id),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, set_flags),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, add_creator),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, set_description),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, set_timestamps),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, add_feature),
    VARNEL_FIELD(clap_preset_discovery_metadata_receiver, add_extra_info),
    VARNEL_FIELD(clap_preset_discovery_provider, desc),
    VARNEL_FIELD(clap_preset_discovery_provider, provider_data),
    VARNEL_FIELD(clap_preset_discovery_provider, init),
    VARNEL_FIELD(clap_preset_discovery_provider, destroy),
    VARNEL_FIELD(clap_preset_discovery_provider, get_metadata),
    VARNEL_FIELD(clap_preset_discovery_provider, get_extension),
    VARNEL_FIELD(clap_preset_discovery_indexer, clap_version),
    VARNEL_FIELD(clap_preset_discovery_indexer, name),
    VARNEL_FIELD(clap_preset_discovery_indexer, vendor),
    VARNEL_FIELD(clap_preset_discovery_indexer, url),
    VARNEL_FIELD(clap_preset_discovery_indexer, version),
    VARNEL_FIELD(clap_preset_discovery_indexer, indexer_data),
    VARNEL_FIELD(clap_preset_discovery_indexer, declare_filetype),
    VARNEL_FIELD(clap_preset_discovery_indexer, declare_location),
    VARNEL_FIELD(clap_preset_discovery_indexer, declare_soundpack),
    VARNEL_FIELD(clap_preset_discovery_indexer, get_extension),
    VARNEL_FIELD(clap_preset_discovery_factory, count),
    VARNEL_FIELD(clap_preset_discovery_factory, get_descriptor),
    VARNEL_FIELD(clap_preset_discovery_factory, create),
};
const NumberRow kNumbers[] = {
    VARNEL_NUMBER(CLAP_NAME_SIZE),
    VARNEL_NUMBER(CLAP_PATH_SIZE),
    VARNEL_NUMBER(CLAP_EVENT_IS_LIVE),
    VARNEL_NUMBER(CLAP_EVENT_DONT_RECORD),
    VARNEL_NUMBER(CLAP_EVENT_NOTE_ON),
    VARNEL_NUMBER(CLAP_EVENT_NOTE_OFF),
    VARNEL_NUMBER(CLAP_EVENT_NOTE_CHOKE),
    VARNEL_NUMBER(CLAP_EVENT_NOTE_END),
    VARNEL_NUMBER(CLAP_EVENT_NOTE_EXPRESSION),
    VARNEL_NUMBER(CLAP_EVENT_PARAM_VALUE),
    VARNEL_NUMBER(CLAP_EVENT_PARAM_MOD),
    VARNEL_NUMBER(CLAP_EVENT_PARAM_GESTURE_BEGIN),
    VARNEL_NUMBER(CLAP_EVENT_PARAM_GESTURE_END),
    VARNEL_NUMBER(CLAP_EVENT_TRANSPORT),
    VARNEL_NUMBER(CLAP_EVENT_MIDI),
    VARNEL_NUMBER(CLAP_EVENT_MIDI_SYSEX),
    VARNEL_NUMBER(CLAP_EVENT_MIDI2),
    VARNEL_NUMBER(CLAP_TRANSPORT_HAS_TEMPO),
    VARNEL_NUMBER(CLAP_TRANSPORT_HAS_BEATS_TIMELINE),
    VARNEL_NUMBER(CLAP_TRANSPORT_HAS_SECONDS_TIMELINE),
    VARNEL_NUMBER(CLAP_TRANSPORT_HAS_TIME_SIGNATURE),
    VARNEL_NUMBER(CLAP_TRANSPORT_IS_PLAYING),
    VARNEL_NUMBER(CLAP_TRANSPORT_IS_RECORDING),
    VARNEL_NUMBER(CLAP_TRANSPORT_IS_LOOP_ACTIVE),
    VARNEL_NUMBER(CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL),
    VARNEL_NUMBER(CLAP_PROCESS_ERROR),
    VARNEL_NUMBER(CLAP_PROCESS_CONTINUE),
    VARNEL_NUMBER(CLAP_PROCESS_CONTINUE_IF_NOT_QUIET),
    VARNEL_NUMBER(CLAP_PROCESS_TAIL),
    VARNEL_NUMBER(CLAP_PROCESS_SLEEP),
    VARNEL_NUMBER(CLAP_AUDIO_PORT_IS_MAIN),
    VARNEL_NUMBER(CLAP_AUDIO_PORT_SUPPORTS_64BITS),
    VARNEL_NUMBER(CLAP_AUDIO_PORT_PREFERS_64BITS),
    VARNEL_NUMBER(CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE),
    VARNEL_NUMBER(CLAP_AUDIO_PORTS_RESCAN_NAMES),
    VARNEL_NUMBER(CLAP_AUDIO_PORTS_RESCAN_FLAGS),
    VARNEL_NUMBER(CLAP_AUDIO_PORTS_RESCAN_CHANNEL_COUNT),
    VARNEL_NUMBER(CLAP_AUDIO_PORTS_RESCAN_PORT_TYPE),
    VARNEL_NUMBER(CLAP_AUDIO_PORTS_RESCAN_IN_PLACE_PAIR),
    VARNEL_NUMBER(CLAP_AUDIO_PORTS_RESCAN_LIST),
    VARNEL_NUMBER(CLAP_NOTE_DIALECT_CLAP),
    VARNEL_NUMBER(CLAP_NOTE_DIALECT_MIDI),
    VARNEL_NUMBER(CLAP_NOTE_DIALECT_MIDI_MPE),
    VARNEL_NUMBER(CLAP_NOTE_DIALECT_MIDI2),
    VARNEL_NUMBER(CLAP_NOTE_PORTS_RESCAN_ALL),
    VARNEL_NUMBER(CLAP_NOTE_PORTS_RESCAN_NAMES),
    VARNEL_NUMBER(CLAP_PARAM_IS_STEPPED),
    VARNEL_NUMBER(CLAP_PARAM_IS_PERIODIC),
    VARNEL_NUMBER(CLAP_PARAM_IS_HIDDEN),
    VARNEL_NUMBER(CLAP_PARAM_IS_READONLY),
    VARNEL_NUMBER(CLAP_PARAM_IS_BYPASS),
    VARNEL_NUMBER(CLAP_PARAM_IS_AUTOMATABLE),
    VARNEL_NUMBER(CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID),
    VARNEL_NUMBER(CLAP_PARAM_IS_AUTOMATABLE_PER_KEY),
    VARNEL_NUMBER(CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL),
    VARNEL_NUMBER(CLAP_PARAM_IS_AUTOMATABLE_PER_PORT),
    VARNEL_NUMBER(CLAP_PARAM_IS_MODULATABLE),
    VARNEL_NUMBER(CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID),
    VARNEL_NUMBER(CLAP_PARAM_IS_MODULATABLE_PER_KEY),
    VARNEL_NUMBER(CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL),
    VARNEL_NUMBER(CLAP_PARAM_IS_MODULATABLE_PER_PORT),
    VARNEL_NUMBER(CLAP_PARAM_REQUIRES_PROCESS),
    VARNEL_NUMBER(CLAP_PARAM_IS_ENUM),
    VARNEL_NUMBER(CLAP_PARAM_RESCAN_VALUES),
    VARNEL_NUMBER(CLAP_PARAM_RESCAN_TEXT),
    VARNEL_NUMBER(CLAP_PARAM_RESCAN_INFO),
    VARNEL_NUMBER(CLAP_PARAM_RESCAN_ALL),
    VARNEL_NUMBER(CLAP_PARAM_CLEAR_ALL),
    VARNEL_NUMBER(CLAP_PARAM_CLEAR_AUTOMATIONS),
    VARNEL_NUMBER(CLAP_PARAM_CLEAR_MODULATIONS),
    VARNEL_NUMBER(CLAP_LOG_DEBUG),
    VARNEL_NUMBER(CLAP_LOG_INFO),
    VARNEL_NUMBER(CLAP_LOG_WARNING),
    VARNEL_NUMBER(CLAP_LOG_ERROR),
    VARNEL_NUMBER(CLAP_LOG_FATAL),
    VARNEL_NUMBER(CLAP_LOG_HOST_MISBEHAVING),
    VARNEL_NUMBER(CLAP_LOG_PLUGIN_MISBEHAVING),
    VARNEL_NUMBER(CLAP_TRACK_INFO_HAS_TRACK_NAME),
    VARNEL_NUMBER(CLAP_TRACK_INFO_HAS_TRACK_COLOR),
    VARNEL_NUMBER(CLAP_TRACK_INFO_HAS_AUDIO_CHANNEL),
    VARNEL_NUMBER(CLAP_TRACK_INFO_IS_FOR_RETURN_TRACK),
    VARNEL_NUMBER(CLAP_TRACK_INFO_IS_FOR_BUS),
    VARNEL_NUMBER(CLAP_TRACK_INFO_IS_FOR_MASTER),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_PROJECT),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_TRACK_GROUP),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_TRACK),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_DEVICE),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_NESTED_DEVICE_CHAIN),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_INSTUMENT_TRACK),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_AUDIO_TRACK),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_HYBRID_TRACK),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_RETURN_TRACK),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_MASTER_TRACK),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_HAS_INDEX),
    VARNEL_NUMBER(CLAP_PROJECT_LOCATION_HAS_COLOR),
    VARNEL_NUMBER(CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL),
    VARNEL_NUMBER(CLAP_CONTEXT_MENU_TARGET_KIND_PARAM),
    VARNEL_NUMBER(CLAP_PRESET_DISCOVERY_LOCATION_FILE),
    VARNEL_NUMBER(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN),
    VARNEL_NUMBER(CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT),
    VARNEL_NUMBER(CLAP_PRESET_DISCOVERY_IS_USER_CONTENT),
    VARNEL_NUMBER(CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT),
    VARNEL_NUMBER(CLAP_PRESET_DISCOVERY_IS_FAVORITE),
    VARNEL_NUMBER(CLAP_VERSION_MAJOR),
    VARNEL_NUMBER(CLAP_VERSION_MINOR),
    VARNEL_NUMBER(CLAP_VERSION_REVISION),
    VARNEL_NUMBER(CLAP_INVALID_ID),
    VARNEL_NUMBER(CLAP_BEATTIME_FACTOR),
    VARNEL_NUMBER(CLAP_SECTIME_FACTOR),
    VARNEL_NUMBER(CLAP_TIMESTAMP_UNKNOWN),
    VARNEL_NUMBER(CLAP_CORE_EVENT_SPACE_ID),
};
const StringRow kStrings[] = {
    VARNEL_STRING(CLAP_PLUGIN_FACTORY_ID),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_INSTRUMENT),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_AUDIO_EFFECT),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_NOTE_EFFECT),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_NOTE_DETECTOR),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_ANALYZER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_SYNTHESIZER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_SAMPLER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_DRUM),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_DRUM_MACHINE),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_FILTER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_PHASER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_EQUALIZER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_DEESSER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_PHASE_VOCODER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_GRANULAR),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_FREQUENCY_SHIFTER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_PITCH_SHIFTER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_DISTORTION),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_TRANSIENT_SHAPER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_COMPRESSOR),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_EXPANDER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_GATE),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_LIMITER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_FLANGER),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_CHORUS),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_DELAY),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_REVERB),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_TREMOLO),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_GLITCH),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_UTILITY),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_PITCH_CORRECTION),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_RESTORATION),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_MULTI_EFFECTS),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_MIXING),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_MASTERING),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_MONO),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_STEREO),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_SURROUND),
    VARNEL_STRING(CLAP_PLUGIN_FEATURE_AMBISONIC),
    VARNEL_STRING(CLAP_EXT_AUDIO_PORTS),
    VARNEL_STRING(CLAP_PORT_MONO),
    VARNEL_STRING(CLAP_PORT_STEREO),
    VARNEL_STRING(CLAP_PORT_SURROUND),
    VARNEL_STRING(CLAP_EXT_AUDIO_PORTS_CONFIG),
    VARNEL_STRING(CLAP_EXT_AUDIO_PORTS_CONFIG_INFO),
    VARNEL_STRING(CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT),
    VARNEL_STRING(CLAP_EXT_NOTE_PORTS),
    VARNEL_STRING(CLAP_EXT_PARAMS),
    VARNEL_STRING(CLAP_EXT_STATE),
    VARNEL_STRING(CLAP_EXT_LATENCY),
    VARNEL_STRING(CLAP_EXT_TAIL),
    VARNEL_STRING(CLAP_EXT_THREAD_CHECK),
    VARNEL_STRING(CLAP_EXT_LOG),
    VARNEL_STRING(CLAP_EXT_TRACK_INFO),
    VARNEL_STRING(CLAP_EXT_TRACK_INFO_COMPAT),
    VARNEL_STRING(CLAP_EXT_PROJECT_LOCATION),
    VARNEL_STRING(CLAP_EXT_PRESET_LOAD),
    VARNEL_STRING(CLAP_EXT_PRESET_LOAD_COMPAT),
    VARNEL_STRING(CLAP_EXT_GAIN_ADJUSTMENT_METERING),
    VARNEL_STRING(CLAP_EXT_GUI),
    VARNEL_STRING(CLAP_WINDOW_API_WIN32),
    VARNEL_STRING(CLAP_EXT_CONTEXT_MENU),
    VARNEL_STRING(CLAP_EXT_CONTEXT_MENU_COMPAT),
    VARNEL_STRING(CLAP_PRESET_DISCOVERY_FACTORY_ID),
    VARNEL_STRING(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT),
};

const StructRow kStructs[] = {VARNEL_CLAP_STRUCTS(VARNEL_STRUCT_ROW)};

// ---- The published table ----------------------------------------------------

struct Table {
    std::map<std::string, StructRow> structs;
    std::map<std::string, std::map<std::string, FieldRow>> fields;
    std::map<std::string, std::string> values; // strings, enumerators and constants
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> columns;
    std::stringstream stream(line);
    std::string column;
    while (std::getline(stream, column, '\t'))
        columns.push_back(column);
    columns.resize(6);
    return columns;
}

const Table& publishedTable() {
    static const Table table = [] {
        Table result;
        std::ifstream file(VARNEL_CLAP_ABI_TABLE, std::ios::binary);
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '#') continue;
            auto c = splitTabs(line);
            const std::string &platform = c[0], &kind = c[1], &name = c[2];
            if (platform == "any") {
                result.values[name] = c[3];
            } else if (platform == VARNEL_CLAP_ABI_PLATFORM && kind == "size") {
                result.structs[name] = {name, std::stoull(c[3]), std::stoull(c[5])};
            } else if (platform == VARNEL_CLAP_ABI_PLATFORM && kind == "field") {
                result.fields[name][c[5]] = {name, c[5], std::stoull(c[3]), normalisedType(c[4])};
            }
        }
        return result;
    }();
    return table;
}

std::string readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string> matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        names.insert((*it)[1]);
    return names;
}

class ClapAbiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(publishedTable().structs.empty())
            << "no " << VARNEL_CLAP_ABI_PLATFORM << " rows read from '" << VARNEL_CLAP_ABI_TABLE
            << "' (configure with -DVARNEL_CLAP_ABI_TABLE=<path of clap-1.2.5-abi.tsv>)";
    }
};

TEST_F(ClapAbiTest, StructuresHaveThePublishedSizeAlignmentAndFields) {
    const Table& table = publishedTable();
    for (const StructRow& declared : kStructs) {
        SCOPED_TRACE(declared.name);
        auto published = table.structs.find(declared.name);
        ASSERT_NE(published, table.structs.end()) << "not a structure of the published interface";
        EXPECT_EQ(declared.size, published->second.size);
        EXPECT_EQ(declared.align, published->second.align);

        std::map<std::string, const FieldRow*> ours;
        for (const FieldRow& field : kFields)
            if (field.structName == declared.name) ours[field.field] = &field;
        const auto& theirs = table.fields.at(declared.name);
        for (const auto& [name, field] : theirs) {
            auto it = ours.find(name);
            if (it == ours.end()) {
                ADD_FAILURE() << "field '" << name << "' is not declared";
                continue;
            }
            EXPECT_EQ(it->second->offset, field.offset) << name;
            EXPECT_EQ(normalisedType(it->second->type), field.type) << name;
        }
        for (const auto& [name, field] : ours)
            EXPECT_TRUE(theirs.count(name)) << "field '" << name << "' is not in the published structure";
    }
}

TEST_F(ClapAbiTest, IdStringsAndConstantsHaveThePublishedValues) {
    const auto& values = publishedTable().values;
    for (const StringRow& declared : kStrings) {
        auto published = values.find(declared.name);
        ASSERT_NE(published, values.end()) << declared.name << " is not in the published interface";
        EXPECT_EQ(declared.value, published->second) << declared.name;
    }
    for (const NumberRow& declared : kNumbers) {
        auto published = values.find(declared.name);
        ASSERT_NE(published, values.end()) << declared.name << " is not in the published interface";
        EXPECT_EQ(declared.value, std::stoull(published->second)) << declared.name;
    }
}

// The tables above are written by hand; this keeps them complete as the
// header grows.
TEST_F(ClapAbiTest, EveryDeclarationOfTheHeaderIsChecked) {
    const std::string header = readText(VARNEL_CLAP_ABI_HEADER);
    ASSERT_FALSE(header.empty()) << VARNEL_CLAP_ABI_HEADER;

    std::set<std::string> structs, numbers, strings, fields;
    for (const StructRow& row : kStructs)
        structs.insert(row.name);
    for (const NumberRow& row : kNumbers)
        numbers.insert(row.name);
    for (const StringRow& row : kStrings)
        strings.insert(row.name);

    for (const std::string& name : matches(header, std::regex(R"(typedef struct (clap_\w+) \{)")))
        EXPECT_TRUE(structs.count(name)) << "structure " << name << " is not checked";
    for (const std::string& name : matches(header, std::regex(R"(static const char (CLAP_\w+)\[\])")))
        EXPECT_TRUE(strings.count(name)) << "string " << name << " is not checked";
    for (const std::string& name : matches(header, std::regex(R"(\n\s+(CLAP_[A-Z0-9_]+) = )")))
        EXPECT_TRUE(numbers.count(name)) << "enumerator " << name << " is not checked";
    for (const std::string& name : matches(header, std::regex(R"(#define (CLAP_[A-Z0-9_]+) )")))
        EXPECT_TRUE(numbers.count(name) || name == "CLAP_VERSION_INIT")
            << "constant " << name << " is not checked";
}

TEST_F(ClapAbiTest, VersionInitialiserIsTheDeclaredVersion) {
    const clap_version_t version = CLAP_VERSION_INIT;
    EXPECT_EQ(version.major, 1u);
    EXPECT_EQ(version.minor, 2u);
    EXPECT_EQ(version.revision, 5u);
    EXPECT_TRUE(clap_version_is_compatible(version));
    EXPECT_FALSE(clap_version_is_compatible(clap_version_t{0, 9, 9}));
}

} // namespace
