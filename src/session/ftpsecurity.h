#pragma once
// How a connection protects its control and data connections (RFC 4217).

enum class FtpSecurity {
    Opportunistic, // TLS when the server offers AUTH TLS, plain FTP otherwise
    Plain, // never TLS
    RequireTls, // AUTH TLS or fail
    ImplicitTls // TLS from the first byte (the old ftps:// on port 990)
};
