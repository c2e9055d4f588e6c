#include "core/JackMidiInput.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <dlfcn.h>

// The few libjack functions used here, looked up at run time so that neither
// the application nor the plug-ins need libjack to start.
struct JackMidiInput::Library
{
    void* handle = nullptr;

    decltype (&::jack_client_open) clientOpen = nullptr;
    decltype (&::jack_client_close) clientClose = nullptr;
    decltype (&::jack_port_register) portRegister = nullptr;
    decltype (&::jack_port_name) portName = nullptr;
    decltype (&::jack_set_process_callback) setProcessCallback = nullptr;
    decltype (&::jack_activate) activate = nullptr;
    decltype (&::jack_port_get_buffer) portGetBuffer = nullptr;
    decltype (&::jack_midi_get_event_count) midiGetEventCount = nullptr;
    decltype (&::jack_midi_event_get) midiEventGet = nullptr;
    decltype (&::jack_get_ports) getPorts = nullptr;
    decltype (&::jack_connect) connect = nullptr;
    decltype (&::jack_free) free = nullptr;

    bool load()
    {
        handle = dlopen ("libjack.so.0", RTLD_LAZY | RTLD_LOCAL);
        if (handle == nullptr)
            return false;

        return find (clientOpen, "jack_client_open") && find (clientClose, "jack_client_close")
            && find (portRegister, "jack_port_register") && find (portName, "jack_port_name")
            && find (setProcessCallback, "jack_set_process_callback") && find (activate, "jack_activate")
            && find (portGetBuffer, "jack_port_get_buffer") && find (midiGetEventCount, "jack_midi_get_event_count")
            && find (midiEventGet, "jack_midi_event_get") && find (getPorts, "jack_get_ports")
            && find (connect, "jack_connect") && find (free, "jack_free");
    }

    ~Library()
    {
        if (handle != nullptr)
            dlclose (handle);
    }

private:
    template <typename Function>
    bool find (Function& function, const char* name)
    {
        function = reinterpret_cast<Function> (dlsym (handle, name));
        return function != nullptr;
    }
};

std::unique_ptr<JackMidiInput> JackMidiInput::open (const char* clientName)
{
    std::unique_ptr<JackMidiInput> input (new JackMidiInput());
    input->library = std::make_unique<Library>();
    auto& jack = *input->library;

    if (! jack.load())
        return nullptr;

    jack_status_t status {};
    auto* client = jack.clientOpen (clientName, JackNoStartServer, &status);
    if (client == nullptr)
        return nullptr;

    input->client = client;
    auto* port = jack.portRegister (client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput | JackPortIsTerminal, 0);
    input->port = port;

    if (port == nullptr
        || jack.setProcessCallback (client, &JackMidiInput::processCallback, input.get()) != 0
        || jack.activate (client) != 0)
        return nullptr;   // the destructor closes the client

    // Every keyboard the server knows plays the instrument, as a musician
    // would expect on starting it; other connections are made in the usual
    // JACK tools.
    if (const char** sources = jack.getPorts (client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput | JackPortIsPhysical))
    {
        for (const char** source = sources; *source != nullptr; ++source)
            jack.connect (client, *source, jack.portName (port));
        jack.free (sources);
    }

    return input;
}

JackMidiInput::~JackMidiInput()
{
    // Closing waits for a running process callback to return.
    if (client != nullptr)
        library->clientClose (static_cast<jack_client_t*> (client));
}

int JackMidiInput::processCallback (std::uint32_t numFrames, void* self)
{
    auto& input = *static_cast<JackMidiInput*> (self);
    auto& jack = *input.library;
    void* buffer = jack.portGetBuffer (static_cast<jack_port_t*> (input.port), numFrames);
    const std::uint32_t count = jack.midiGetEventCount (buffer);

    for (std::uint32_t i = 0; i < count; ++i)
    {
        jack_midi_event_t event {};
        if (jack.midiEventGet (&event, buffer, i) == 0)
            input.push (event.buffer, (int) event.size);
    }
    return 0;
}

void JackMidiInput::push (const std::uint8_t* bytes, int size)
{
    if (size <= 0 || size > 3 || bytes[0] == 0xf0)
        return;

    const auto scope = fifo.write (1);
    if (scope.blockSize1 + scope.blockSize2 == 0)
        return;   // full

    auto& slot = queue[(size_t) (scope.blockSize1 > 0 ? scope.startIndex1 : scope.startIndex2)];
    for (int i = 0; i < size; ++i)
        slot.bytes[i] = bytes[i];
    slot.size = (std::uint8_t) size;
}
