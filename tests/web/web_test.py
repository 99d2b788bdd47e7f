#!/usr/bin/env python3
"""The browser's copy in a real browser: make test-web.

Serves build-web/ from 127.0.0.1 with python3 -m http.server and drives
Debian's headless chromium (its own profile folder, SwiftShader for WebGL)
through the DevTools protocol: the welcome screen and the board are drawn, a
race is set up with the mouse and keyboard and saved with "Save Race"; after a
reload of the page, "Load Race" lists that save and loads it. Screenshots go
to SHOTS_DIR. Prints the page's transfer size and the time to the welcome
screen.

    web_test.py BUILD_WEB_DIR [SHOTS_DIR]
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402

W, H = 1280, 800
SAVES = '/home/web_user/.local/share/the-velotrax/Saved Races'
# The main menu's buttons, top to bottom: "New Race" 0, "Load Race" 1,
# "Quit" 2, ... Every click on the menu goes through menu_button. The menu
# is 480 high and centred, its buttons 96 down and 48 apart.
MENU_FIRST_BUTTON_Y = -240 + 96 + 24  # from the middle of the screen
MENU_BUTTON_PITCH = 48


def menu_button(row):
    """Where to click the main menu's button of that row."""
    return W // 2, H // 2 + MENU_FIRST_BUTTON_Y + MENU_BUTTON_PITCH * row


failures = []


def check(ok, what):
    print(('ok    ' if ok else 'FAIL  ') + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def png_size(path):
    with open(path, 'rb') as f:
        head = f.read(24)
    return int.from_bytes(head[16:20], 'big'), int.from_bytes(head[20:24], 'big')


def png_colours(path, left=0, right=None):
    """The number of distinct colours of a PNG (8-bit RGB or RGBA, as Chromium writes),
    in the columns from left to right (the whole width by default)."""
    with open(path, 'rb') as f:
        data = f.read()
    pos, idat, width, height, kind = 8, b'', 0, 0, 0
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], 'big')
        tag = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if tag == b'IHDR':
            width, height = int.from_bytes(body[0:4], 'big'), int.from_bytes(body[4:8], 'big')
            kind = body[9]
        elif tag == b'IDAT':
            idat += body
        pos += 12 + length
    channels = {2: 3, 6: 4}[kind]
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    colours = set()
    i = 0
    for _ in range(height):
        filt = raw[i]
        line = bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            if filt == 1:
                line[x] = (line[x] + a) & 255
            elif filt == 2:
                line[x] = (line[x] + b) & 255
            elif filt == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif filt == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        previous = line
        end = stride if right is None else min(stride, right * channels)
        for x in range(left * channels, end, channels * 7):
            colours.add(bytes(line[x:x + 3]))
    return len(colours)


def first_of_list(browser, menu_row, shot):
    """A main menu row ("New Race" 0, "Load Race" 1), then the first entry of its list."""
    browser.click(*menu_button(menu_row))
    time.sleep(2)
    shot()
    browser.click((W - 448) // 2 + 52 + 40, (H - 416) // 2 + 72 + 4 + 9)
    time.sleep(0.5)
    browser.key('Enter', 'Enter', 13, '\r')


def game_started(browser):
    """Waits up to two minutes for the game to run in the page."""
    return browser.wait_for("typeof Module === 'object' && Module.calledRun === true", 120)


def open_menu(browser):
    """Escape from the welcome box: the main menu."""
    browser.move(400, 400)
    browser.key('Escape', 'Escape', 27)
    time.sleep(1.5)


def set_up_race(browser, shot=lambda name: None):
    """From the welcome box: "New Race" on the first circuit, computer cars only, automatic."""
    open_menu(browser)
    shot('web-menu')
    first_of_list(browser, 0, lambda: shot('web-circuits'))
    time.sleep(2)
    shot('web-setup')
    fx, fy = (W - 768) // 2, (H - 608) // 2
    browser.click(fx + 340 + 40, fy + 125 + 16)
    time.sleep(1)
    browser.click(fx + 276 + 40, fy + 608 - 80 + 16)
    time.sleep(2)
    # No car of the player's: the computer drives them all.
    browser.click((W - 320) // 2 + 120 + 40, fy + 608 - 80 + 16)
    time.sleep(1.5)
    browser.move(400, 400)
    browser.key('a', 'KeyA', 65, 'a')


def shot_path(shots, name, browser):
    path = os.path.join(shots, name + '.png')
    browser.screenshot(path)
    return path


def check_resize(browser, shots):
    """The page's window made smaller, then as it was: the canvas and the game follow each
    size, the side panel standing at the new right edge."""
    for width, height in ((1024, 700), (W, H)):
        browser.send('Emulation.setDeviceMetricsOverride',
                     {'width': width, 'height': height, 'deviceScaleFactor': 1,
                      'mobile': False})
        browser.wait_for('Module.canvas.width === %d && Module.canvas.height === %d' %
                         (width, height), 10)
        time.sleep(2)
        name = 'web-resized-%dx%d' % (width, height)
        path = os.path.join(shots, name + '.png')
        browser.screenshot(path)
        size = browser.evaluate('[Module.canvas.width, Module.canvas.height, '
                                'window.innerWidth, window.innerHeight]')
        check(size == [width, height, width, height] and png_size(path) == (width, height) and
              png_colours(path, width - 200, width) >= 16,
              'the canvas follows the window to %dx%d (canvas and page %s; see %s.png)' %
              (width, height, size, name))


def save_race_keeping(browser, shot):
    """Clicks "Save Race"; what each sync of the player's files answered ("" when kept)."""
    browser.evaluate("""
            window.velotraxKept = [];
            var sync = Module.velotraxSync;
            Module.velotraxSync = function () {
              return sync().then(function (why) { velotraxKept.push(why); return why; });
            };""")
    browser.click(W - 256 + 40 + 60, 176 + 32 + 16)
    time.sleep(3)
    shot()
    return browser.evaluate('velotraxKept')


def main():
    page_dir = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(page_dir, 'shots'))
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix='velotrax-web-')
    port = free_port()
    server = subprocess.Popen([sys.executable, '-m', 'http.server', '--bind', '127.0.0.1',
                               str(port), '--directory', page_dir],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    log = open(os.path.join(work, 'chromium.log'), 'w')
    browser = None
    try:
        size = sum(os.path.getsize(os.path.join(page_dir, f)) for f in
                   ('index.html', 'page.js', 'the-velotrax.js', 'the-velotrax.wasm',
                    'the-velotrax.data'))
        print('page transfer size: %.1f MB (uncompressed, as http.server sends it)' %
              (size / 1e6))
        time.sleep(0.5)
        browser = cdp.Browser('chromium', os.path.join(work, 'profile'), W, H, log)
        url = 'http://127.0.0.1:%d/index.html' % port
        started = time.time()
        browser.open_page(url, W, H)
        shot = lambda name: browser.screenshot(os.path.join(shots, name + '.png'))
        running = game_started(browser)
        check(running, 'the page loads and the game starts')
        if not running:
            shot('web-not-started')
            return
        # The welcome box is drawn once the game shows many colours.
        welcome = False
        for _ in range(300):
            shot('web-welcome')
            if png_colours(os.path.join(shots, 'web-welcome.png')) >= 16:
                welcome = True
                break
            time.sleep(0.2)
        print('time to the welcome screen: %.1f s' % (time.time() - started))
        check(welcome, 'the welcome screen is drawn')
        check(browser.evaluate('document.activeElement === Module.canvas'),
              'the canvas has the keyboard focus')
        audio_before = browser.evaluate("Module.SDL2 && Module.SDL2.audioContext ? "
                                        "Module.SDL2.audioContext.state : 'none'")

        set_up_race(browser, shot)
        time.sleep(1)
        browser.evaluate('window.velotraxSlices = []')
        time.sleep(5)
        slices = sorted(browser.evaluate('window.velotraxSlices'))
        if slices:
            print('automatic race: %d yields in 5 s, the game ran %.1f ms at the median between '
                  'two, %.1f ms at the 95th percentile, %.1f ms at most' %
                  (len(slices), slices[len(slices) // 2], slices[len(slices) * 95 // 100],
                   slices[-1]))
        shot('web-race')
        check(png_colours(os.path.join(shots, 'web-race.png')) >= 16, 'the board is drawn')
        # The race is heard: the browser let the audio run after the first
        # key, and the mixer sent it sound; the page kept yielding meanwhile.
        audio = browser.evaluate("Module.SDL2 && Module.SDL2.audioContext ? "
                                 "Module.SDL2.audioContext.state : 'none'")
        audible = browser.evaluate("Module.velotraxAudible || 0")
        check(audio == 'running' and audible > 0 and len(slices) >= 25,
              'the race is heard: audio %s before the first key, %s in the race, %d mixes '
              'with sound, %d yields in 5 s' % (audio_before, audio, audible, len(slices)))
        check_resize(browser, shots)
        # "Save Race": the second of the side panel's buttons.
        browser.click(W - 256 + 40 + 60, 176 + 32 + 16)
        time.sleep(3)
        shot('web-saved')
        saves = browser.evaluate(
            "FS.readdir('%s')" % SAVES +
            ".filter(n => n.endsWith('.json'))")
        check(bool(saves), 'Save Race writes a save (%s)' % saves)

        # A reload finds the save in IndexedDB.
        browser.send('Page.reload', {'ignoreCache': False})
        time.sleep(1)
        running = game_started(browser)
        check(running, 'the page starts again after a reload')
        kept = browser.evaluate(
            "FS.readdir('%s')" % SAVES +
            ".filter(n => n.endsWith('.json'))")
        check(kept == saves and bool(kept), 'the save outlives the reload (%s)' % kept)
        time.sleep(4)
        open_menu(browser)
        first_of_list(browser, 1, lambda: shot('web-load-list'))
        time.sleep(3)
        shot('web-loaded')
        check(browser.evaluate("document.getElementById('fatal').hidden"),
              'the save loads with no fatal box on the page')

        # Storage that is full: the save fails with its reason, the game goes on.
        # IndexedDB refuses every record as a browser does at its quota.
        browser.evaluate("""
            window.velotraxPut = IDBObjectStore.prototype.put;
            IDBObjectStore.prototype.put = function () {
              throw new DOMException('no room', 'QuotaExceededError');
            };""")
        kept = save_race_keeping(browser, lambda: shot('web-save-full'))
        check(kept == ["the browser's storage for this page is full"],
              'a save into full storage fails with its reason (%s; see web-save-full.png)' % kept)
        check(browser.evaluate("document.getElementById('fatal').hidden && "
                               "document.getElementById('ended').hidden"),
              'a save into full storage leaves the game running')
        browser.evaluate('IDBObjectStore.prototype.put = velotraxPut')
        browser.key('Enter', 'Enter', 13, '\r')
        time.sleep(1)

        # A corrupt save in IndexedDB: a clear message on the page, as on disk.
        browser.evaluate(
            "FS.writeFile('%s/' + %r, '{ not a race');"
            "new Promise(done => FS.syncfs(false, done))" % (SAVES, saves[0]))
        browser.send('Page.reload', {'ignoreCache': False})
        time.sleep(1)
        game_started(browser)
        time.sleep(4)
        open_menu(browser)
        first_of_list(browser, 1, lambda: None)
        time.sleep(3)
        shot('web-corrupt')
        fatal = browser.evaluate("document.getElementById('fatal').hidden ? '' : "
                                 "document.getElementById('fatal-text').textContent")
        check('could not load JSON file' in (fatal or ''),
              'a corrupt save gives a clear message on the page (%r)' % fatal)

        # Storage blocked and no audio at all: the game runs silent and says
        # so on its console, the page says it cannot keep files, and a save
        # says it failed.
        browser.events.clear()
        browser.send('Page.navigate', {'url': url + '?blocked&noaudio'})
        time.sleep(1)
        game_started(browser)
        time.sleep(4)
        check(not browser.evaluate("document.getElementById('notice').hidden"),
              'blocked storage: the page says the game cannot keep files')
        silent = [m for m in browser.events if m.get('method') == 'Runtime.consoleAPICalled' and
                  any('plays without sound' in str(a.get('value', ''))
                      for a in m['params'].get('args', []))]
        check(bool(silent) and png_colours(shot_path(shots, 'web-noaudio', browser)) >= 16,
              'no audio in the browser: the game runs silent, saying so on its console')
        set_up_race(browser)
        kept = save_race_keeping(browser, lambda: shot('web-save-blocked'))
        check(len(kept) == 1 and 'blocked' in kept[0] and
              browser.evaluate("document.getElementById('fatal').hidden"),
              'blocked storage: Save Race fails with its reason, the game runs on (%s)' % kept)
        browser.key('Enter', 'Enter', 13, '\r')
        time.sleep(1)
        browser.send('Page.navigate', {'url': url})
        time.sleep(1)
        game_started(browser)
        time.sleep(4)

        # "Start again", then "Quit": the page that offers to start again.
        browser.evaluate("document.getElementById('fatal-again').click()")
        time.sleep(1)
        game_started(browser)
        time.sleep(4)
        open_menu(browser)
        browser.click(*menu_button(2))
        time.sleep(1)
        browser.key('Enter', 'Enter', 13, '\r')
        ended = browser.wait_for("!document.getElementById('ended').hidden", 10)
        shot('web-quit')
        check(ended and browser.evaluate("document.getElementById('fatal').hidden"),
              '"Quit" leaves the page that offers to start again')
    finally:
        if browser:
            browser.close()
        server.kill()
        server.wait()
        log.close()
        if failures:
            shutil.copy(os.path.join(work, 'chromium.log'), os.path.join(shots, 'chromium.log'))
        shutil.rmtree(work, ignore_errors=True)
    print('%d failed' % len(failures))


if __name__ == '__main__':
    main()
    sys.exit(1 if failures else 0)
