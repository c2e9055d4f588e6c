#pragma once

// A tiny HTTP server on 127.0.0.1 for the news tests. It answers every
// request with the same reply, which may be late, or trickle its body in
// small pieces. It runs on its own thread, one connection at a time, and
// stops within a few milliseconds when it is destroyed: every wait it makes
// is in short steps that look at the stop flag.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace newstest
{
    struct Reply
    {
        int status = 200;
        std::string body;
        int delayMs = 0;           // silence before the status line
        size_t pieceBytes = 0;     // if not 0, the body goes out in pieces of this size...
        int pieceIntervalMs = 0;   // ...this far apart
    };

    class LoopbackServer
    {
    public:
        explicit LoopbackServer (Reply replyToSend)
            : reply (std::move (replyToSend))
        {
            listener = openListener (boundPort);
            if (listener >= 0)
                thread = std::thread ([this] { serve(); });
        }

        ~LoopbackServer()
        {
            stopping = true;
            if (thread.joinable())
                thread.join();
            if (listener >= 0)
                ::close (listener);
        }

        bool isListening() const { return listener >= 0; }
        int port() const { return boundPort; }

        std::string newsAddress() const { return addressFor (boundPort); }

        // The request lines received so far ("GET /path HTTP/1.1").
        std::vector<std::string> requests() const
        {
            const std::lock_guard<std::mutex> lock (requestsMutex);
            return requestLines;
        }

        static std::string addressFor (int port)
        {
            return "http://127.0.0.1:" + std::to_string (port) + "/newsfeed.asp?n=3";
        }

        // A port on which nothing listens: connections to it are refused.
        static int refusedPort()
        {
            int port = 0;
            const int socket = openListener (port);
            if (socket >= 0)
                ::close (socket);
            return port;
        }

    private:
        static int openListener (int& port)
        {
            const int s = ::socket (AF_INET, SOCK_STREAM, 0);
            if (s < 0)
                return -1;

            sockaddr_in address {};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
            address.sin_port = 0;
            socklen_t length = sizeof (address);

            if (::bind (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
                || ::listen (s, 8) != 0
                || ::getsockname (s, reinterpret_cast<sockaddr*> (&address), &length) != 0)
            {
                ::close (s);
                return -1;
            }

            port = ntohs (address.sin_port);
            return s;
        }

        // Waits up to ms for the socket to become ready, in short steps.
        bool waitFor (int socket, short events, int ms) const
        {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (ms);
            while (! stopping)
            {
                pollfd p { socket, events, 0 };
                if (::poll (&p, 1, 10) > 0)
                    return true;
                if (std::chrono::steady_clock::now() >= end)
                    return false;
            }
            return false;
        }

        void pause (int ms) const
        {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (ms);
            while (! stopping && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
        }

        bool sendAll (int socket, const char* data, size_t size) const
        {
            while (size > 0 && ! stopping)
            {
                if (! waitFor (socket, POLLOUT, 2000))
                    return false;
                const auto sent = ::send (socket, data, size, MSG_NOSIGNAL);
                if (sent <= 0)
                    return false;
                data += sent;
                size -= (size_t) sent;
            }
            return size == 0;
        }

        void serve()
        {
            while (! stopping)
            {
                if (! waitFor (listener, POLLIN, 50))
                    continue;

                const int connection = ::accept (listener, nullptr, nullptr);
                if (connection < 0)
                    continue;

                answer (connection);
                ::close (connection);
            }
        }

        void answer (int connection)
        {
            std::string request;
            char buffer[4096];

            while (request.find ("\r\n\r\n") == std::string::npos)
            {
                if (! waitFor (connection, POLLIN, 2000))
                    return;
                const auto received = ::recv (connection, buffer, sizeof (buffer), 0);
                if (received <= 0)
                    return;
                request.append (buffer, (size_t) received);
            }

            {
                const std::lock_guard<std::mutex> lock (requestsMutex);
                requestLines.push_back (request.substr (0, request.find ("\r\n")));
            }

            pause (reply.delayMs);

            const std::string head = "HTTP/1.1 " + std::to_string (reply.status) + " Reply\r\n"
                                     "Content-Type: text/html\r\n"
                                     "Content-Length: " + std::to_string (reply.body.size()) + "\r\n"
                                     "Connection: close\r\n\r\n";
            if (! sendAll (connection, head.data(), head.size()))
                return;

            const size_t piece = reply.pieceBytes > 0 ? reply.pieceBytes : std::max<size_t> (reply.body.size(), 1);

            for (size_t at = 0; at < reply.body.size() && ! stopping; at += piece)
            {
                if (at > 0)
                    pause (reply.pieceIntervalMs);
                if (! sendAll (connection, reply.body.data() + at, std::min (piece, reply.body.size() - at)))
                    return;
            }
        }

        const Reply reply;
        int boundPort = 0;
        int listener = -1;
        std::atomic<bool> stopping { false };
        mutable std::mutex requestsMutex;
        std::vector<std::string> requestLines;
        std::thread thread;
    };
}
