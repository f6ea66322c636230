#!/usr/bin/env python3
"""Serves the built site as a host should: a file's gzipped copy beside it (NAME.gz) in its place
with Content-Encoding: gzip when the browser accepts it, every file to be checked again before it is
used from the browser's cache (Cache-Control: no-cache), and the site's types.

    python3 web/serve.py SITE [--port N] [--bind ADDRESS]

Prints the address it serves on as its first line (port 0: a free port)."""
import argparse
import functools
import http.server
import os
import re


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.js': 'text/javascript', '.wasm': 'application/wasm', '.webp': 'image/webp',
                      '.webmanifest': 'application/manifest+json'}
    gzipped = False  # this response is the gzipped copy
    varies = False   # the file has a gzipped copy

    def accepts_gzip(self):
        for coding in self.headers.get('Accept-Encoding', '').split(','):
            name, _, params = coding.partition(';')
            if name.strip().lower() == 'gzip':
                quality = re.search(r'q\s*=\s*([0-9.]+)', params)
                return not quality or float(quality.group(1)) > 0
        return False

    def send_response(self, code, message=None):
        # As the standard one, without the Server header: the site's every response a little lighter.
        self.log_request(code)
        self.send_response_only(code, message)
        self.send_header('Date', self.date_time_string())

    def send_head(self):
        self.gzipped = self.varies = False
        return super().send_head()

    def translate_path(self, path):
        local = super().translate_path(path)
        if os.path.isdir(local) and path.split('?')[0].endswith('/'):
            local = os.path.join(local, 'index.html')
        self.varies = os.path.isfile(local + '.gz')
        self.gzipped = self.varies and self.accepts_gzip()
        return local + '.gz' if self.gzipped else local

    def guess_type(self, path):
        return super().guess_type(path[:-3] if self.gzipped else path)

    def end_headers(self):
        if self.gzipped:
            self.send_header('Content-Encoding', 'gzip')
        if self.varies:
            self.send_header('Vary', 'Accept-Encoding')
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()


def main():
    parser = argparse.ArgumentParser(description='Serves the built site.')
    parser.add_argument('site')
    parser.add_argument('--port', type=int, default=8000)
    parser.add_argument('--bind', default='127.0.0.1')
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.site, 'index.html')):
        parser.error(f'{args.site} holds no site (index.html)')
    handler = functools.partial(SiteHandler, directory=args.site)
    with http.server.ThreadingHTTPServer((args.bind, args.port), handler) as server:
        print(f'http://{args.bind}:{server.server_address[1]}/', flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == '__main__':
    main()
