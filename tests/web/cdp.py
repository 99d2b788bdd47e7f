"""A small DevTools-protocol client over Chromium's --remote-debugging-pipe.

Debian's chromium and the standard library only: messages are JSON objects
ending in a NUL byte, written to the browser's fd 3 and read from its fd 4.
"""
import base64
import json
import os
import subprocess
import time


class Browser:
    def __init__(self, chromium, profile, width, height, log):
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        # The browser takes its end of each pipe as fd 3 and fd 4.
        def child_fds():
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)
        args = [chromium, '--headless=new', '--remote-debugging-pipe',
                '--user-data-dir=' + profile, '--no-first-run', '--no-default-browser-check',
                '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
                '--disable-background-networking', '--disable-component-update',
                '--disable-sync', '--disable-extensions', '--mute-audio',
                '--window-size=%d,%d' % (width, height), 'about:blank']
        self.process = subprocess.Popen(args, preexec_fn=child_fds,
                                        stdout=log, stderr=log, close_fds=False)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b''
        self._next_id = 0
        self.events = []
        self.session = None

    def close(self):
        try:
            self.process.kill()
        except OSError:
            pass
        self.process.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)

    def _read_message(self, deadline):
        while b'\0' not in self._buffer:
            if time.time() > deadline:
                raise TimeoutError('the browser did not answer')
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise EOFError('the browser closed its pipe')
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b'\0', 1)
        return json.loads(message)

    def send(self, method, params=None, session=True, timeout=60):
        self._next_id += 1
        message = {'id': self._next_id, 'method': method, 'params': params or {}}
        if session and self.session:
            message['sessionId'] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b'\0')
        deadline = time.time() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get('id') == self._next_id:
                if 'error' in answer:
                    raise RuntimeError('%s: %s' % (method, answer['error']))
                return answer.get('result', {})
            self.events.append(answer)

    def open_page(self, url, width, height):
        target = self.send('Target.createTarget', {'url': 'about:blank'}, session=False)
        attached = self.send('Target.attachToTarget',
                             {'targetId': target['targetId'], 'flatten': True}, session=False)
        self.session = attached['sessionId']
        self.send('Page.enable')
        self.send('Runtime.enable')
        # The page's window exactly this size, whatever the browser's frame takes.
        self.send('Emulation.setDeviceMetricsOverride',
                  {'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': False})
        # How long the game runs between two of its yields to the browser:
        # every wait (ASYNCIFY) goes back through setTimeout.
        self.send('Page.addScriptToEvaluateOnNewDocument', {'source': """
            (function () {
              var later = window.setTimeout;
              window.velotraxSlices = [];
              window.setTimeout = function (f, ms) {
                var rest = Array.prototype.slice.call(arguments, 2);
                return later(function () {
                  var t = performance.now();
                  try { return f.apply(this, rest); }
                  finally { window.velotraxSlices.push(performance.now() - t); }
                }, ms);
              };
            })();"""})
        # "?blocked": a browser that refuses the page any IndexedDB, as some
        # private windows do; "?noaudio": one without Web Audio.
        self.send('Page.addScriptToEvaluateOnNewDocument', {'source': """
            var velotraxAsked = new URLSearchParams(location.search);
            if (velotraxAsked.has('blocked'))
              Object.defineProperty(window, 'indexedDB', {value: undefined});
            if (velotraxAsked.has('noaudio')) {
              delete window.AudioContext;
              delete window.webkitAudioContext;
            }"""})
        self.send('Page.navigate', {'url': url})

    def evaluate(self, expression):
        result = self.send('Runtime.evaluate', {'expression': expression, 'returnByValue': True,
                                                 'awaitPromise': True})
        if 'exceptionDetails' in result:
            raise RuntimeError('%s: %s' % (expression, result['exceptionDetails']))
        return result['result'].get('value')

    def wait_for(self, expression, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.evaluate(expression):
                return True
            time.sleep(0.2)
        return False

    def screenshot(self, path):
        data = self.send('Page.captureScreenshot', {'format': 'png'})['data']
        with open(path, 'wb') as f:
            f.write(base64.b64decode(data))

    def key(self, key, code, key_code, text=None):
        down = {'type': 'keyDown', 'key': key, 'code': code, 'windowsVirtualKeyCode': key_code,
                'nativeVirtualKeyCode': key_code}
        if text:
            down['text'] = text
        self.send('Input.dispatchKeyEvent', down)
        up = dict(down, type='keyUp')
        up.pop('text', None)
        self.send('Input.dispatchKeyEvent', up)

    def move(self, x, y):
        self.send('Input.dispatchMouseEvent', {'type': 'mouseMoved', 'x': x, 'y': y})

    def click(self, x, y):
        self.move(x, y)
        for kind in ('mousePressed', 'mouseReleased'):
            self.send('Input.dispatchMouseEvent', {'type': kind, 'x': x, 'y': y,
                                                   'button': 'left', 'buttons': 1,
                                                   'clickCount': 1})
