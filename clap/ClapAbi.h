#pragma once

/* The parts of the CLAP 1.2.5 plug-in ABI that this project uses, declared by
 * the project itself with the interface's own C names. Every structure, id
 * string and constant here is checked against the published layout by
 * clap/tests/ClapAbiTest.cpp on both builds (x86-64 Linux and x64 Windows,
 * where there is a single calling convention, so no convention is spelled).
 *
 * Plain C: the plug-in, the test host and their tests include it from C++. */

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Version, ids and basic types ------------------------------------- */

#define CLAP_VERSION_MAJOR 1
#define CLAP_VERSION_MINOR 2
#define CLAP_VERSION_REVISION 5
#define CLAP_VERSION_INIT                                                                                    \
    { CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION }

typedef struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
} clap_version_t;

/* A host or plug-in is compatible from major version 1 on. */
static inline bool clap_version_is_compatible(clap_version_t v) {
    return v.major >= 1;
}

typedef uint32_t clap_id;
#define CLAP_INVALID_ID UINT32_MAX

/* Fixed-point positions: beats and seconds times 2^31. */
typedef int64_t clap_beattime;
typedef int64_t clap_sectime;
#define CLAP_BEATTIME_FACTOR (1LL << 31)
#define CLAP_SECTIME_FACTOR (1LL << 31)

/* Seconds since 1970-01-01 UTC; 0 when unknown. */
typedef uint64_t clap_timestamp;
#define CLAP_TIMESTAMP_UNKNOWN 0

enum {
    CLAP_NAME_SIZE = 256,
    CLAP_PATH_SIZE = 1024,
};

/* ---- Events ------------------------------------------------------------ */

#define CLAP_CORE_EVENT_SPACE_ID 0

typedef struct clap_event_header {
    uint32_t size;
    uint32_t time;
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
} clap_event_header_t;

/* clap_event_header.flags */
enum {
    CLAP_EVENT_IS_LIVE = 1,
    CLAP_EVENT_DONT_RECORD = 2,
};

/* clap_event_header.type in the core space */
enum {
    CLAP_EVENT_NOTE_ON = 0,
    CLAP_EVENT_NOTE_OFF = 1,
    CLAP_EVENT_NOTE_CHOKE = 2,
    CLAP_EVENT_NOTE_END = 3,
    CLAP_EVENT_NOTE_EXPRESSION = 4,
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
    CLAP_EVENT_TRANSPORT = 9,
    CLAP_EVENT_MIDI = 10,
    CLAP_EVENT_MIDI_SYSEX = 11,
    CLAP_EVENT_MIDI2 = 12,
};

/* Note events: -1 in note_id, port_index, channel or key is a wildcard. */
typedef struct clap_event_note {
    struct clap_event_header header;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double velocity;
} clap_event_note_t;

typedef struct clap_event_param_value {
    struct clap_event_header header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
} clap_event_param_value_t;

typedef struct clap_event_param_mod {
    struct clap_event_header header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double amount;
} clap_event_param_mod_t;

typedef struct clap_event_param_gesture {
    struct clap_event_header header;
    clap_id param_id;
} clap_event_param_gesture_t;

/* clap_event_transport.flags */
enum {
    CLAP_TRANSPORT_HAS_TEMPO = 1,
    CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 2,
    CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 4,
    CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 8,
    CLAP_TRANSPORT_IS_PLAYING = 16,
    CLAP_TRANSPORT_IS_RECORDING = 32,
    CLAP_TRANSPORT_IS_LOOP_ACTIVE = 64,
    CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 128,
};

typedef struct clap_event_transport {
    struct clap_event_header header;
    uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;
    double tempo_inc;
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    int32_t bar_number;
    uint16_t tsig_num;
    uint16_t tsig_denom;
} clap_event_transport_t;

typedef struct clap_event_midi {
    struct clap_event_header header;
    uint16_t port_index;
    uint8_t data[3];
} clap_event_midi_t;

typedef struct clap_event_midi_sysex {
    struct clap_event_header header;
    uint16_t port_index;
    const uint8_t* buffer;
    uint32_t size;
} clap_event_midi_sysex_t;

/* Events handed to the plug-in, sorted by time. */
typedef struct clap_input_events {
    void* ctx;
    uint32_t (*size)(const struct clap_input_events*);
    const clap_event_header_t* (*get)(const struct clap_input_events*, uint32_t);
} clap_input_events_t;

/* Events handed to the host; try_push copies the event. */
typedef struct clap_output_events {
    void* ctx;
    bool (*try_push)(const struct clap_output_events*, const clap_event_header_t*);
} clap_output_events_t;

/* ---- Audio buffers and the process call -------------------------------- */

/* Bit i of constant_mask: channel i holds one value for the whole block. */
typedef struct clap_audio_buffer {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
} clap_audio_buffer_t;

typedef int32_t clap_process_status;
enum {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

typedef struct clap_process {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport_t* transport;
    const clap_audio_buffer_t* audio_inputs;
    clap_audio_buffer_t* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events_t* in_events;
    const clap_output_events_t* out_events;
} clap_process_t;

/* ---- Streams ------------------------------------------------------------ */

/* read returns the bytes read, 0 at the end, -1 on error; write returns the
 * bytes written or -1. Either may move fewer bytes than asked. */
typedef struct clap_istream {
    void* ctx;
    int64_t (*read)(const struct clap_istream*, void*, uint64_t);
} clap_istream_t;

typedef struct clap_ostream {
    void* ctx;
    int64_t (*write)(const struct clap_ostream*, const void*, uint64_t);
} clap_ostream_t;

/* ---- Host, plug-in, entry and factory ----------------------------------- */

typedef struct clap_host {
    struct clap_version clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void* (*get_extension)(const struct clap_host*, const char*);
    void (*request_restart)(const struct clap_host*);
    void (*request_process)(const struct clap_host*);
    void (*request_callback)(const struct clap_host*);
} clap_host_t;

typedef struct clap_plugin_descriptor {
    struct clap_version clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features;
} clap_plugin_descriptor_t;

typedef struct clap_plugin {
    const clap_plugin_descriptor_t* desc;
    void* plugin_data;
    bool (*init)(const struct clap_plugin*);
    void (*destroy)(const struct clap_plugin*);
    bool (*activate)(const struct clap_plugin*, double, uint32_t, uint32_t);
    void (*deactivate)(const struct clap_plugin*);
    bool (*start_processing)(const struct clap_plugin*);
    void (*stop_processing)(const struct clap_plugin*);
    void (*reset)(const struct clap_plugin*);
    clap_process_status (*process)(const struct clap_plugin*, const clap_process_t*);
    const void* (*get_extension)(const struct clap_plugin*, const char*);
    void (*on_main_thread)(const struct clap_plugin*);
} clap_plugin_t;

/* The one symbol a plug-in module exports. */
typedef struct clap_plugin_entry {
    struct clap_version clap_version;
    bool (*init)(const char*);
    void (*deinit)(void);
    const void* (*get_factory)(const char*);
} clap_plugin_entry_t;

static const char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

typedef struct clap_plugin_factory {
    uint32_t (*get_plugin_count)(const struct clap_plugin_factory*);
    const clap_plugin_descriptor_t* (*get_plugin_descriptor)(const struct clap_plugin_factory*, uint32_t);
    const clap_plugin_t* (*create_plugin)(const struct clap_plugin_factory*, const clap_host_t*, const char*);
} clap_plugin_factory_t;

/* Feature words of clap_plugin_descriptor.features. */
static const char CLAP_PLUGIN_FEATURE_INSTRUMENT[] = "instrument";

static const char CLAP_PLUGIN_FEATURE_AUDIO_EFFECT[] = "audio-effect";

static const char CLAP_PLUGIN_FEATURE_NOTE_EFFECT[] = "note-effect";

static const char CLAP_PLUGIN_FEATURE_NOTE_DETECTOR[] = "note-detector";

static const char CLAP_PLUGIN_FEATURE_ANALYZER[] = "analyzer";

static const char CLAP_PLUGIN_FEATURE_SYNTHESIZER[] = "synthesizer";

static const char CLAP_PLUGIN_FEATURE_SAMPLER[] = "sampler";

static const char CLAP_PLUGIN_FEATURE_DRUM[] = "drum";

static const char CLAP_PLUGIN_FEATURE_DRUM_MACHINE[] = "drum-machine";

static const char CLAP_PLUGIN_FEATURE_FILTER[] = "filter";

static const char CLAP_PLUGIN_FEATURE_PHASER[] = "phaser";

static const char CLAP_PLUGIN_FEATURE_EQUALIZER[] = "equalizer";

static const char CLAP_PLUGIN_FEATURE_DEESSER[] = "de-esser";

static const char CLAP_PLUGIN_FEATURE_PHASE_VOCODER[] = "phase-vocoder";

static const char CLAP_PLUGIN_FEATURE_GRANULAR[] = "granular";

static const char CLAP_PLUGIN_FEATURE_FREQUENCY_SHIFTER[] = "frequency-shifter";

static const char CLAP_PLUGIN_FEATURE_PITCH_SHIFTER[] = "pitch-shifter";

static const char CLAP_PLUGIN_FEATURE_DISTORTION[] = "distortion";

static const char CLAP_PLUGIN_FEATURE_TRANSIENT_SHAPER[] = "transient-shaper";

static const char CLAP_PLUGIN_FEATURE_COMPRESSOR[] = "compressor";

static const char CLAP_PLUGIN_FEATURE_EXPANDER[] = "expander";

static const char CLAP_PLUGIN_FEATURE_GATE[] = "gate";

static const char CLAP_PLUGIN_FEATURE_LIMITER[] = "limiter";

static const char CLAP_PLUGIN_FEATURE_FLANGER[] = "flanger";

static const char CLAP_PLUGIN_FEATURE_CHORUS[] = "chorus";

static const char CLAP_PLUGIN_FEATURE_DELAY[] = "delay";

static const char CLAP_PLUGIN_FEATURE_REVERB[] = "reverb";

static const char CLAP_PLUGIN_FEATURE_TREMOLO[] = "tremolo";

static const char CLAP_PLUGIN_FEATURE_GLITCH[] = "glitch";

static const char CLAP_PLUGIN_FEATURE_UTILITY[] = "utility";

static const char CLAP_PLUGIN_FEATURE_PITCH_CORRECTION[] = "pitch-correction";

static const char CLAP_PLUGIN_FEATURE_RESTORATION[] = "restoration";

static const char CLAP_PLUGIN_FEATURE_MULTI_EFFECTS[] = "multi-effects";

static const char CLAP_PLUGIN_FEATURE_MIXING[] = "mixing";

static const char CLAP_PLUGIN_FEATURE_MASTERING[] = "mastering";

static const char CLAP_PLUGIN_FEATURE_MONO[] = "mono";

static const char CLAP_PLUGIN_FEATURE_STEREO[] = "stereo";

static const char CLAP_PLUGIN_FEATURE_SURROUND[] = "surround";

static const char CLAP_PLUGIN_FEATURE_AMBISONIC[] = "ambisonic";

/* ---- Audio ports -------------------------------------------------------- */

static const char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
static const char CLAP_PORT_MONO[] = "mono";
static const char CLAP_PORT_STEREO[] = "stereo";
static const char CLAP_PORT_SURROUND[] = "surround";

enum {
    CLAP_AUDIO_PORT_IS_MAIN = 1,
    CLAP_AUDIO_PORT_SUPPORTS_64BITS = 2,
    CLAP_AUDIO_PORT_PREFERS_64BITS = 4,
    CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 8,
};

enum {
    CLAP_AUDIO_PORTS_RESCAN_NAMES = 1,
    CLAP_AUDIO_PORTS_RESCAN_FLAGS = 2,
    CLAP_AUDIO_PORTS_RESCAN_CHANNEL_COUNT = 4,
    CLAP_AUDIO_PORTS_RESCAN_PORT_TYPE = 8,
    CLAP_AUDIO_PORTS_RESCAN_IN_PLACE_PAIR = 16,
    CLAP_AUDIO_PORTS_RESCAN_LIST = 32,
};

typedef struct clap_audio_port_info {
    clap_id id;
    char name[256];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
} clap_audio_port_info_t;

typedef struct clap_plugin_audio_ports {
    uint32_t (*count)(const clap_plugin_t*, bool);
    bool (*get)(const clap_plugin_t*, uint32_t, bool, clap_audio_port_info_t*);
} clap_plugin_audio_ports_t;

typedef struct clap_host_audio_ports {
    bool (*is_rescan_flag_supported)(const clap_host_t*, uint32_t);
    void (*rescan)(const clap_host_t*, uint32_t);
} clap_host_audio_ports_t;

/* ---- Audio port configurations ----------------------------------------- */

static const char CLAP_EXT_AUDIO_PORTS_CONFIG[] = "clap.audio-ports-config";
static const char CLAP_EXT_AUDIO_PORTS_CONFIG_INFO[] = "clap.audio-ports-config-info/1";
static const char CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT[] = "clap.audio-ports-config-info/draft-0";

typedef struct clap_audio_ports_config {
    clap_id id;
    char name[256];
    uint32_t input_port_count;
    uint32_t output_port_count;
    bool has_main_input;
    uint32_t main_input_channel_count;
    const char* main_input_port_type;
    bool has_main_output;
    uint32_t main_output_channel_count;
    const char* main_output_port_type;
} clap_audio_ports_config_t;

typedef struct clap_plugin_audio_ports_config {
    uint32_t (*count)(const clap_plugin_t*);
    bool (*get)(const clap_plugin_t*, uint32_t, clap_audio_ports_config_t*);
    bool (*select)(const clap_plugin_t*, clap_id);
} clap_plugin_audio_ports_config_t;

typedef struct clap_plugin_audio_ports_config_info {
    clap_id (*current_config)(const clap_plugin_t*);
    bool (*get)(const clap_plugin_t*, clap_id, uint32_t, bool, clap_audio_port_info_t*);
} clap_plugin_audio_ports_config_info_t;

typedef struct clap_host_audio_ports_config {
    void (*rescan)(const clap_host_t*);
} clap_host_audio_ports_config_t;

/* ---- Note ports ---------------------------------------------------------- */

static const char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";

enum {
    CLAP_NOTE_DIALECT_CLAP = 1,
    CLAP_NOTE_DIALECT_MIDI = 2,
    CLAP_NOTE_DIALECT_MIDI_MPE = 4,
    CLAP_NOTE_DIALECT_MIDI2 = 8,
};

enum {
    CLAP_NOTE_PORTS_RESCAN_ALL = 1,
    CLAP_NOTE_PORTS_RESCAN_NAMES = 2,
};

typedef struct clap_note_port_info {
    clap_id id;
    uint32_t supported_dialects;
    uint32_t preferred_dialect;
    char name[256];
} clap_note_port_info_t;

typedef struct clap_plugin_note_ports {
    uint32_t (*count)(const clap_plugin_t*, bool);
    bool (*get)(const clap_plugin_t*, uint32_t, bool, clap_note_port_info_t*);
} clap_plugin_note_ports_t;

typedef struct clap_host_note_ports {
    uint32_t (*supported_dialects)(const clap_host_t*);
    void (*rescan)(const clap_host_t*, uint32_t);
} clap_host_note_ports_t;

/* ---- Parameters ---------------------------------------------------------- */

static const char CLAP_EXT_PARAMS[] = "clap.params";

typedef uint32_t clap_param_info_flags;
enum {
    CLAP_PARAM_IS_STEPPED = 1,
    CLAP_PARAM_IS_PERIODIC = 2,
    CLAP_PARAM_IS_HIDDEN = 4,
    CLAP_PARAM_IS_READONLY = 8,
    CLAP_PARAM_IS_BYPASS = 16,
    CLAP_PARAM_IS_AUTOMATABLE = 32,
    CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 64,
    CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 128,
    CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 256,
    CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 512,
    CLAP_PARAM_IS_MODULATABLE = 1024,
    CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 2048,
    CLAP_PARAM_IS_MODULATABLE_PER_KEY = 4096,
    CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 8192,
    CLAP_PARAM_IS_MODULATABLE_PER_PORT = 16384,
    CLAP_PARAM_REQUIRES_PROCESS = 32768,
    CLAP_PARAM_IS_ENUM = 65536,
};

typedef uint32_t clap_param_rescan_flags;
enum {
    CLAP_PARAM_RESCAN_VALUES = 1,
    CLAP_PARAM_RESCAN_TEXT = 2,
    CLAP_PARAM_RESCAN_INFO = 4,
    CLAP_PARAM_RESCAN_ALL = 8,
};

typedef uint32_t clap_param_clear_flags;
enum {
    CLAP_PARAM_CLEAR_ALL = 1,
    CLAP_PARAM_CLEAR_AUTOMATIONS = 2,
    CLAP_PARAM_CLEAR_MODULATIONS = 4,
};

typedef struct clap_param_info {
    clap_id id;
    clap_param_info_flags flags;
    void* cookie;
    char name[256];
    char module[1024];
    double min_value;
    double max_value;
    double default_value;
} clap_param_info_t;

typedef struct clap_plugin_params {
    uint32_t (*count)(const clap_plugin_t*);
    bool (*get_info)(const clap_plugin_t*, uint32_t, clap_param_info_t*);
    bool (*get_value)(const clap_plugin_t*, clap_id, double*);
    bool (*value_to_text)(const clap_plugin_t*, clap_id, double, char*, uint32_t);
    bool (*text_to_value)(const clap_plugin_t*, clap_id, const char*, double*);
    void (*flush)(const clap_plugin_t*, const clap_input_events_t*, const clap_output_events_t*);
} clap_plugin_params_t;

typedef struct clap_host_params {
    void (*rescan)(const clap_host_t*, clap_param_rescan_flags);
    void (*clear)(const clap_host_t*, clap_id, clap_param_clear_flags);
    void (*request_flush)(const clap_host_t*);
} clap_host_params_t;

/* ---- State ------------------------------------------------------------- */

static const char CLAP_EXT_STATE[] = "clap.state";

typedef struct clap_plugin_state {
    bool (*save)(const clap_plugin_t*, const clap_ostream_t*);
    bool (*load)(const clap_plugin_t*, const clap_istream_t*);
} clap_plugin_state_t;

typedef struct clap_host_state {
    void (*mark_dirty)(const clap_host_t*);
} clap_host_state_t;

/* ---- Latency and tail -------------------------------------------------- */

static const char CLAP_EXT_LATENCY[] = "clap.latency";
static const char CLAP_EXT_TAIL[] = "clap.tail";

typedef struct clap_plugin_latency {
    uint32_t (*get)(const clap_plugin_t*);
} clap_plugin_latency_t;

typedef struct clap_host_latency {
    void (*changed)(const clap_host_t*);
} clap_host_latency_t;

typedef struct clap_plugin_tail {
    uint32_t (*get)(const clap_plugin_t*);
} clap_plugin_tail_t;

typedef struct clap_host_tail {
    void (*changed)(const clap_host_t*);
} clap_host_tail_t;

/* ---- Thread check and log ------------------------------------------------ */

static const char CLAP_EXT_THREAD_CHECK[] = "clap.thread-check";
static const char CLAP_EXT_LOG[] = "clap.log";

typedef struct clap_host_thread_check {
    bool (*is_main_thread)(const clap_host_t*);
    bool (*is_audio_thread)(const clap_host_t*);
} clap_host_thread_check_t;

typedef int32_t clap_log_severity;
enum {
    CLAP_LOG_DEBUG = 0,
    CLAP_LOG_INFO = 1,
    CLAP_LOG_WARNING = 2,
    CLAP_LOG_ERROR = 3,
    CLAP_LOG_FATAL = 4,
    CLAP_LOG_HOST_MISBEHAVING = 5,
    CLAP_LOG_PLUGIN_MISBEHAVING = 6,
};

typedef struct clap_host_log {
    void (*log)(const clap_host_t*, clap_log_severity, const char*);
} clap_host_log_t;

/* ---- Track info and project location ------------------------------------ */

static const char CLAP_EXT_TRACK_INFO[] = "clap.track-info/1";
static const char CLAP_EXT_TRACK_INFO_COMPAT[] = "clap.track-info.draft/1";
static const char CLAP_EXT_PROJECT_LOCATION[] = "clap.project-location/2";

typedef struct clap_color {
    uint8_t alpha;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
} clap_color_t;

enum {
    CLAP_TRACK_INFO_HAS_TRACK_NAME = 1,
    CLAP_TRACK_INFO_HAS_TRACK_COLOR = 2,
    CLAP_TRACK_INFO_HAS_AUDIO_CHANNEL = 4,
    CLAP_TRACK_INFO_IS_FOR_RETURN_TRACK = 8,
    CLAP_TRACK_INFO_IS_FOR_BUS = 16,
    CLAP_TRACK_INFO_IS_FOR_MASTER = 32,
};

typedef struct clap_track_info {
    uint64_t flags;
    char name[256];
    struct clap_color color;
    int32_t audio_channel_count;
    const char* audio_port_type;
} clap_track_info_t;

typedef struct clap_plugin_track_info {
    void (*changed)(const clap_plugin_t*);
} clap_plugin_track_info_t;

typedef struct clap_host_track_info {
    bool (*get)(const clap_host_t*, clap_track_info_t*);
} clap_host_track_info_t;

/* clap_project_location_element.kind */
enum {
    CLAP_PROJECT_LOCATION_PROJECT = 1,
    CLAP_PROJECT_LOCATION_TRACK_GROUP = 2,
    CLAP_PROJECT_LOCATION_TRACK = 3,
    CLAP_PROJECT_LOCATION_DEVICE = 4,
    CLAP_PROJECT_LOCATION_NESTED_DEVICE_CHAIN = 5,
};

/* clap_project_location_element.track_kind (the first name is the ABI's own spelling) */
enum {
    CLAP_PROJECT_LOCATION_INSTUMENT_TRACK = 1,
    CLAP_PROJECT_LOCATION_AUDIO_TRACK = 2,
    CLAP_PROJECT_LOCATION_HYBRID_TRACK = 3,
    CLAP_PROJECT_LOCATION_RETURN_TRACK = 4,
    CLAP_PROJECT_LOCATION_MASTER_TRACK = 5,
};

/* clap_project_location_element.flags */
enum {
    CLAP_PROJECT_LOCATION_HAS_INDEX = 1,
    CLAP_PROJECT_LOCATION_HAS_COLOR = 2,
};

typedef struct clap_project_location_element {
    uint64_t flags;
    uint32_t kind;
    uint32_t track_kind;
    uint32_t index;
    char id[1024];
    char name[256];
    struct clap_color color;
} clap_project_location_element_t;

typedef struct clap_plugin_project_location {
    void (*set)(const clap_plugin_t*, const clap_project_location_element_t*, uint32_t);
} clap_plugin_project_location_t;

/* ---- Preset load ------------------------------------------------------- */

static const char CLAP_EXT_PRESET_LOAD[] = "clap.preset-load/2";
static const char CLAP_EXT_PRESET_LOAD_COMPAT[] = "clap.preset-load.draft/2";

typedef struct clap_plugin_preset_load {
    bool (*from_location)(const clap_plugin_t*, uint32_t, const char*, const char*);
} clap_plugin_preset_load_t;

typedef struct clap_host_preset_load {
    void (*on_error)(const clap_host_t*, uint32_t, const char*, const char*, int32_t, const char*);
    void (*loaded)(const clap_host_t*, uint32_t, const char*, const char*);
} clap_host_preset_load_t;

/* ---- Gain-adjustment metering -------------------------------------------- */

static const char CLAP_EXT_GAIN_ADJUSTMENT_METERING[] = "clap.gain-adjustment-metering/0";

typedef struct clap_plugin_gain_adjustment_metering {
    double (*get)(const clap_plugin_t*);
} clap_plugin_gain_adjustment_metering_t;

/* ---- Editor window ----------------------------------------------------- */

static const char CLAP_EXT_GUI[] = "clap.gui";
static const char CLAP_WINDOW_API_WIN32[] = "win32";

typedef void* clap_hwnd;
typedef void* clap_nsview;
typedef unsigned long clap_xwnd;

typedef struct clap_window {
    const char* api;
    union {
        clap_nsview cocoa;
        clap_xwnd x11;
        clap_hwnd win32;
        void* ptr;
    };
} clap_window_t;

typedef struct clap_gui_resize_hints {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
} clap_gui_resize_hints_t;

typedef struct clap_plugin_gui {
    bool (*is_api_supported)(const clap_plugin_t*, const char*, bool);
    bool (*get_preferred_api)(const clap_plugin_t*, const char**, bool*);
    bool (*create)(const clap_plugin_t*, const char*, bool);
    void (*destroy)(const clap_plugin_t*);
    bool (*set_scale)(const clap_plugin_t*, double);
    bool (*get_size)(const clap_plugin_t*, uint32_t*, uint32_t*);
    bool (*can_resize)(const clap_plugin_t*);
    bool (*get_resize_hints)(const clap_plugin_t*, clap_gui_resize_hints_t*);
    bool (*adjust_size)(const clap_plugin_t*, uint32_t*, uint32_t*);
    bool (*set_size)(const clap_plugin_t*, uint32_t, uint32_t);
    bool (*set_parent)(const clap_plugin_t*, const clap_window_t*);
    bool (*set_transient)(const clap_plugin_t*, const clap_window_t*);
    void (*suggest_title)(const clap_plugin_t*, const char*);
    bool (*show)(const clap_plugin_t*);
    bool (*hide)(const clap_plugin_t*);
} clap_plugin_gui_t;

typedef struct clap_host_gui {
    void (*resize_hints_changed)(const clap_host_t*);
    bool (*request_resize)(const clap_host_t*, uint32_t, uint32_t);
    bool (*request_show)(const clap_host_t*);
    bool (*request_hide)(const clap_host_t*);
    void (*closed)(const clap_host_t*, bool);
} clap_host_gui_t;

/* ---- Context menu ------------------------------------------------------- */

static const char CLAP_EXT_CONTEXT_MENU[] = "clap.context-menu/1";
static const char CLAP_EXT_CONTEXT_MENU_COMPAT[] = "clap.context-menu.draft/0";

enum {
    CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL = 0,
    CLAP_CONTEXT_MENU_TARGET_KIND_PARAM = 1,
};

typedef uint32_t clap_context_menu_item_kind_t;

typedef struct clap_context_menu_target {
    uint32_t kind;
    clap_id id;
} clap_context_menu_target_t;

typedef struct clap_context_menu_builder {
    void* ctx;
    bool (*add_item)(const struct clap_context_menu_builder*, clap_context_menu_item_kind_t, const void*);
    bool (*supports)(const struct clap_context_menu_builder*, clap_context_menu_item_kind_t);
} clap_context_menu_builder_t;

typedef struct clap_plugin_context_menu {
    bool (*populate)(const clap_plugin_t*, const clap_context_menu_target_t*,
                     const clap_context_menu_builder_t*);
    bool (*perform)(const clap_plugin_t*, const clap_context_menu_target_t*, clap_id);
} clap_plugin_context_menu_t;

typedef struct clap_host_context_menu {
    bool (*populate)(const clap_host_t*, const clap_context_menu_target_t*,
                     const clap_context_menu_builder_t*);
    bool (*perform)(const clap_host_t*, const clap_context_menu_target_t*, clap_id);
    bool (*can_popup)(const clap_host_t*);
    bool (*popup)(const clap_host_t*, const clap_context_menu_target_t*, int32_t, int32_t, int32_t);
} clap_host_context_menu_t;

/* ---- Preset discovery ----------------------------------------------------- */

static const char CLAP_PRESET_DISCOVERY_FACTORY_ID[] = "clap.preset-discovery-factory/2";
static const char CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT[] = "clap.preset-discovery-factory/draft-2";

/* clap_preset_discovery_location.kind and the location kind of preset load */
enum {
    CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0,
    CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1,
};

/* Flags of locations, soundpacks and presets */
enum {
    CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1,
    CLAP_PRESET_DISCOVERY_IS_USER_CONTENT = 2,
    CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT = 4,
    CLAP_PRESET_DISCOVERY_IS_FAVORITE = 8,
};

/* A plug-in named across plug-in formats; abi is "clap" for CLAP ids. */
typedef struct clap_universal_plugin_id {
    const char* abi;
    const char* id;
} clap_universal_plugin_id_t;

typedef struct clap_preset_discovery_provider_descriptor {
    struct clap_version clap_version;
    const char* id;
    const char* name;
    const char* vendor;
} clap_preset_discovery_provider_descriptor_t;

typedef struct clap_preset_discovery_location {
    uint32_t flags;
    const char* name;
    uint32_t kind;
    const char* location;
} clap_preset_discovery_location_t;

typedef struct clap_preset_discovery_filetype {
    const char* name;
    const char* description;
    const char* file_extension;
} clap_preset_discovery_filetype_t;

typedef struct clap_preset_discovery_soundpack {
    uint32_t flags;
    const char* id;
    const char* name;
    const char* description;
    const char* homepage_url;
    const char* vendor;
    const char* image_path;
    clap_timestamp release_timestamp;
} clap_preset_discovery_soundpack_t;

typedef struct clap_preset_discovery_metadata_receiver {
    void* receiver_data;
    void (*on_error)(const struct clap_preset_discovery_metadata_receiver*, int32_t, const char*);
    bool (*begin_preset)(const struct clap_preset_discovery_metadata_receiver*, const char*, const char*);
    void (*add_plugin_id)(const struct clap_preset_discovery_metadata_receiver*,
                          const clap_universal_plugin_id_t*);
    void (*set_soundpack_id)(const struct clap_preset_discovery_metadata_receiver*, const char*);
    void (*set_flags)(const struct clap_preset_discovery_metadata_receiver*, uint32_t);
    void (*add_creator)(const struct clap_preset_discovery_metadata_receiver*, const char*);
    void (*set_description)(const struct clap_preset_discovery_metadata_receiver*, const char*);
    void (*set_timestamps)(const struct clap_preset_discovery_metadata_receiver*, clap_timestamp,
                           clap_timestamp);
    void (*add_feature)(const struct clap_preset_discovery_metadata_receiver*, const char*);
    void (*add_extra_info)(const struct clap_preset_discovery_metadata_receiver*, const char*, const char*);
} clap_preset_discovery_metadata_receiver_t;

typedef struct clap_preset_discovery_provider {
    const clap_preset_discovery_provider_descriptor_t* desc;
    void* provider_data;
    bool (*init)(const struct clap_preset_discovery_provider*);
    void (*destroy)(const struct clap_preset_discovery_provider*);
    bool (*get_metadata)(const struct clap_preset_discovery_provider*, uint32_t, const char*,
                         const clap_preset_discovery_metadata_receiver_t*);
    const void* (*get_extension)(const struct clap_preset_discovery_provider*, const char*);
} clap_preset_discovery_provider_t;

typedef struct clap_preset_discovery_indexer {
    struct clap_version clap_version;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    void* indexer_data;
    bool (*declare_filetype)(const struct clap_preset_discovery_indexer*,
                             const clap_preset_discovery_filetype_t*);
    bool (*declare_location)(const struct clap_preset_discovery_indexer*,
                             const clap_preset_discovery_location_t*);
    bool (*declare_soundpack)(const struct clap_preset_discovery_indexer*,
                              const clap_preset_discovery_soundpack_t*);
    const void* (*get_extension)(const struct clap_preset_discovery_indexer*, const char*);
} clap_preset_discovery_indexer_t;

typedef struct clap_preset_discovery_factory {
    uint32_t (*count)(const struct clap_preset_discovery_factory*);
    const clap_preset_discovery_provider_descriptor_t* (*get_descriptor)(
        const struct clap_preset_discovery_factory*, uint32_t);
    const clap_preset_discovery_provider_t* (*create)(const struct clap_preset_discovery_factory*,
                                                      const clap_preset_discovery_indexer_t*, const char*);
} clap_preset_discovery_factory_t;

#ifdef __cplusplus
}
#endif
