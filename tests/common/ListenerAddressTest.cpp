// What counts as the client's own listener, for the client and the helper alike: every name of
// loopback, at one of the listener's ports, and the PAC address it handed out or would serve.
#include "common/ListenerAddress.h"

#include <gtest/gtest.h>

TEST(ListenerAddress, EveryNameOfLoopbackAtAListenersPort)
{
    const ListenerAddress listener({10808, 10809});
    for (const char *host : {"127.0.0.1", "127.0.0.2", "localhost", "LocalHost", "localhost.", "::1", "[::1]", "[0:0:0:0:0:0:0:1]",
                             "::ffff:127.0.0.1", " 127.0.0.1"}) {
        EXPECT_TRUE(listener.isNamedBy(host, 10808)) << host;
        EXPECT_TRUE(listener.isNamedBy(host, 10809)) << host;
    }
}

TEST(ListenerAddress, AnotherHostOrPortIsNotTheListener)
{
    const ListenerAddress listener({10808});
    EXPECT_FALSE(listener.isNamedBy("127.0.0.1", 9999));
    EXPECT_FALSE(listener.isNamedBy("127.0.0.1", 0));
    for (const char *host : {"", "10.0.0.1", "192.168.1.1", "::", "0.0.0.0", "localhost.example", "localhost..", "proxy.example.org", "[::2]",
                             "[::1", "fe80::1"})
        EXPECT_FALSE(listener.isNamedBy(host, 10808)) << host;
    EXPECT_FALSE(ListenerAddress({}).isNamedBy("127.0.0.1", 10808));
}

TEST(ListenerAddress, ThePacAddressItHandedOutOrWouldServe)
{
    const ListenerAddress handedOut({10808}, "file:///run/ostrel/proxy.pac");
    EXPECT_TRUE(handedOut.isNamedByPac("file:///run/ostrel/proxy.pac"));
    EXPECT_FALSE(handedOut.isNamedByPac("file:///home/user/proxy.pac"));
    EXPECT_FALSE(handedOut.isNamedByPac(""));

    const ListenerAddress serving({10808});
    EXPECT_TRUE(serving.isNamedByPac("http://127.0.0.1:10808/proxy.pac"));
    EXPECT_TRUE(serving.isNamedByPac("http://[::1]:10808/proxy.pac"));
    EXPECT_TRUE(serving.isNamedByPac("https://localhost:10808/"));
    EXPECT_FALSE(serving.isNamedByPac("http://127.0.0.1:8080/proxy.pac"));
    EXPECT_FALSE(serving.isNamedByPac("http://127.0.0.1/proxy.pac"));
    EXPECT_FALSE(serving.isNamedByPac("http://wpad.example:10808/proxy.pac"));
    EXPECT_FALSE(serving.isNamedByPac(""));
    // A URL without a port names its scheme's.
    EXPECT_TRUE(ListenerAddress({80}).isNamedByPac("http://localhost/proxy.pac"));
    EXPECT_FALSE(ListenerAddress({80}).isNamedByPac("https://localhost/proxy.pac"));
}
