#!/usr/bin/env python3
"""Serves the built site on this machine only, cross-origin isolated.

  serve.py DIR [--port N]

The COOP and COEP headers make the page cross-origin isolated, which is what
lets it use shared memory and so the threaded build of the program. Any
static server that sends them serves the site as well; one that does not
gets the one-thread build.
"""
import functools
import http.server
import sys

ISOLATION_HEADERS = {
    "Cross-Origin-Opener-Policy": "same-origin",
    "Cross-Origin-Embedder-Policy": "require-corp",
}


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    isolated = True
    quiet = False

    def end_headers(self):
        if self.isolated:
            for name, value in ISOLATION_HEADERS.items():
                self.send_header(name, value)
        super().end_headers()

    def log_message(self, *args):
        if not self.quiet:
            super().log_message(*args)


def make_server(site, port=0, isolated=True, quiet=False):
    handler_class = type("Handler", (SiteHandler,), {"isolated": isolated, "quiet": quiet})
    handler = functools.partial(handler_class, directory=site)
    return http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)


def main(argv):
    if not argv or argv[0].startswith("-"):
        print(__doc__, file=sys.stderr)
        return 2
    port = 8640
    if len(argv) == 3 and argv[1] == "--port" and argv[2].isdigit():
        port = int(argv[2])
    elif len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    server = make_server(argv[0], port)
    print(f"Open http://127.0.0.1:{server.server_address[1]}/ in a browser (Ctrl+C stops the server)",
          file=sys.stderr, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
