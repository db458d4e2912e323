// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The front panel in a browser: draws the card as the server sends it over
// a WebSocket, and sends each click to the server, which decides.
'use strict';

(function () {
    const pairs = document.getElementById('pairs');
    const connection = document.getElementById('connection');
    const refusal = document.getElementById('refusal');
    const mode = document.getElementById('mode');
    const update = document.getElementById('update');
    const trigger = document.getElementById('trigger');
    const exclusive = document.getElementById('exclusive');
    const lamp = document.getElementById('synchronized');
    const lock = document.getElementById('lock');
    const run = document.getElementById('run');
    const title = document.getElementById('title');
    const login = document.getElementById('login');
    const loginUser = document.getElementById('login-user');
    const loginPassword = document.getElementById('login-password');
    const buttons = new Map();
    const wearLines = new Map();
    const legends = new Map();
    let card = null;
    // Why this page may not change the card (from /api/card), else null.
    let readOnly = null;
    // The Authorization header once the user has logged in, and the change
    // that asked for it.
    let credentials = null;
    let waitingForLogin = null;
    // The page's texts in its reader's language, by their English, as the
    // server handed them in the page; none: English.
    const texts = (() => {
        const block = document.getElementById('texts');
        try {
            return block ? JSON.parse(block.textContent) : {};
        } catch (ignored) {
            return {};
        }
    })();

    // The text in the page's language, %1, %2... replaced by the values.
    function tr(text, ...values) {
        const translated = typeof texts[text] === 'string' ? texts[text] : text;
        return translated.replace(/%(\d)/g, (match, index) => String(values[index - 1]));
    }

    function makePairs() {
        for (let pair = 1; pair <= 16; ++pair) {
            const group = document.createElement('fieldset');
            group.className = 'pair';
            const legend = document.createElement('legend');
            legend.textContent = tr('Pair %1', pair);
            group.appendChild(legend);
            legends.set(pair, legend);
            const row = document.createElement('div');
            row.className = 'relays';
            for (const side of ['A', 'B']) {
                const relay = side === 'A' ? pair * 2 - 1 : pair * 2;
                const button = document.createElement('button');
                button.type = 'button';
                button.id = 'relay-' + relay;
                button.dataset.relay = String(relay);
                button.setAttribute('aria-pressed', 'false');
                button.textContent = side;
                button.disabled = true;
                button.addEventListener('click', () => switchRelay(relay));
                row.appendChild(button);
                buttons.set(relay, button);
            }
            group.appendChild(row);
            const wear = document.createElement('p');
            wear.className = 'wear';
            group.appendChild(wear);
            wearLines.set(pair, wear);
            pairs.appendChild(group);
        }
    }

    function show(state) {
        card = state;
        title.textContent = state.manufacturer + ' ' + state.model + ' ' + state.card
            + (state.demo ? ' ' + tr('(demo)') : '');
        const waiting = new Set(state.waiting);
        for (const relay of state.relays) {
            const button = buttons.get(relay.relay);
            const name = tr('Pair %1 relay %2', relay.pair, relay.side);
            button.textContent = relay.label || relay.side;
            button.title = relay.label ? name + ': ' + relay.label : name;
            button.setAttribute('aria-label', relay.label ? name + ', ' + relay.label : name);
            button.setAttribute('aria-pressed', relay.closed ? 'true' : 'false');
            button.classList.toggle('waiting', waiting.has(relay.relay));
            button.disabled = readOnly !== null;
        }
        for (let pair = 1; pair <= 16; ++pair) {
            const marks = state.relays.filter((relay) => relay.pair === pair && relay.wear
                && relay.wear !== 'fresh');
            const line = wearLines.get(pair);
            line.className = 'wear' + (marks.some((relay) => relay.wear === 'worn') ? ' worn'
                : marks.length ? ' warning' : '');
            line.textContent = marks.map((relay) => (relay.wear === 'worn'
                ? tr('Relay %1 worn (%2 closings)', relay.side, relay.closings)
                : tr('Relay %1 wearing (%2 closings)', relay.side, relay.closings))).join('; ');
        }
        mode.value = state.mode;
        mode.disabled = readOnly !== null;
        update.disabled = readOnly !== null || state.mode !== 'sync-command';
        trigger.disabled = readOnly !== null || state.mode !== 'sync-trigger';
        exclusive.checked = state.exclusive;
        exclusive.disabled = readOnly !== null;
        lamp.classList.toggle('off', !state.synchronized);
        lamp.setAttribute('aria-label',
            state.synchronized ? tr('Synchronized: yes') : tr('Synchronized: no'));
        lock.textContent = state.lockHolder ? tr('Remote lock: %1', state.lockHolder)
            : tr('Remote lock: nobody');
        // The card's own run, while there is one.
        const going = state.run;
        run.hidden = !going;
        run.textContent = !going ? ''
            : going.sequence !== undefined ? tr('Sequence "%1": step %2', going.sequence, going.step)
            : going.waitingForTrigger
                ? tr('Scan: step %1, sweep %2, waiting for a trigger', going.step, going.sweep)
                : tr('Scan: step %1, sweep %2', going.step, going.sweep);
    }

    async function send(method, path, body) {
        refusal.textContent = '';
        try {
            const headers = body === undefined ? {} : {'Content-Type': 'application/json'};
            if (credentials)
                headers['Authorization'] = credentials;
            const response = await fetch(path, {
                method: method,
                headers: headers,
                body: body === undefined ? undefined : JSON.stringify(body),
            });
            if (response.status === 401) {
                // The page asks for the password itself: a browser asks
                // for it only when it loads a page.
                credentials = null;
                waitingForLogin = () => send(method, path, body);
                login.hidden = false;
                loginUser.focus();
            }
            if (!response.ok) {
                let reason = response.status + ' ' + response.statusText;
                try {
                    reason = (await response.json()).error || reason;
                } catch (ignored) {
                    // The status says enough.
                }
                refusal.textContent = tr('Refused: %1', reason);
            }
        } catch (error) {
            refusal.textContent = tr('Not sent: the panel cannot be reached');
        }
    }

    function switchRelay(relay) {
        if (!card)
            return;
        const closed = buttons.get(relay).getAttribute('aria-pressed') === 'true';
        send('POST', '/api/relays', closed ? {open: [relay]} : {close: [relay]});
    }

    mode.addEventListener('change', () => send('PUT', '/api/mode', {mode: mode.value}));
    exclusive.addEventListener('change',
        () => send('PUT', '/api/exclusive', {exclusive: exclusive.checked}));
    update.addEventListener('click', () => send('POST', '/api/update'));
    trigger.addEventListener('click', () => send('POST', '/api/trigger'));

    login.addEventListener('submit', (event) => {
        event.preventDefault();
        const bytes = new TextEncoder().encode(loginUser.value + ':' + loginPassword.value);
        credentials = 'Basic ' + btoa(String.fromCharCode(...bytes));
        loginPassword.value = '';
        login.hidden = true;
        const retry = waitingForLogin;
        waitingForLogin = null;
        if (retry)
            retry();
    });

    // Whether this page may change the card at all, said once.
    async function learnAccess() {
        try {
            const response = await fetch('/api/card');
            const state = await response.json();
            if (typeof state.readOnly === 'string') {
                readOnly = state.readOnly;
                refusal.textContent = tr('Read-only: %1', readOnly);
                if (card)
                    show(card);
            }
        } catch (ignored) {
            // The live state still shows the card; a change says why not.
        }
    }

    function follow() {
        const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
        const socket = new WebSocket(scheme + location.host + '/api/events');
        socket.addEventListener('open', () => {
            connection.textContent = tr('Connected');
            connection.classList.remove('lost');
        });
        socket.addEventListener('message', (event) => show(JSON.parse(event.data)));
        socket.addEventListener('close', () => {
            connection.textContent = tr('Connection lost: reconnecting…');
            connection.classList.add('lost');
            for (const button of buttons.values())
                button.disabled = true;
            setTimeout(follow, 1000);
        });
    }

    makePairs();
    learnAccess();
    follow();
})();
