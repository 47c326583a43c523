<?php
// Shared by the two endpoints: configuration, the database, field checks and plain answers.
// Every answer is text/plain; nothing from a request is ever echoed back.

declare(strict_types=1);

const MAX_BODY_BYTES = 65536;

function answer(string $text, int $status = 200): void
{
    http_response_code($status);
    header('Content-Type: text/plain; charset=utf-8');
    header('Cache-Control: no-store');
    echo $text;
    exit;
}

function fail(string $reason): void
{
    answer('ERROR ' . $reason, 400);
}

// The configuration file: ORVALIN_SERVER_CONFIG from the web server's environment, or
// config/orvalin.ini beside the php folder.
function config(): array
{
    static $config = null;
    if ($config === null) {
        $path = getenv('ORVALIN_SERVER_CONFIG') ?: ($_SERVER['ORVALIN_SERVER_CONFIG'] ?? '');
        if ($path === '') {
            $path = dirname(__DIR__) . '/config/orvalin.ini';
        }
        $parsed = is_readable($path) ? parse_ini_file($path, false, INI_SCANNER_RAW) : false;
        if ($parsed === false || !isset($parsed['database'])) {
            answer('ERROR server not configured', 500);
        }
        $config = $parsed;
    }
    return $config;
}

function database(): PDO
{
    $db = new PDO('sqlite:' . config()['database'], null, null, [PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION]);
    $db->exec('PRAGMA busy_timeout = 5000');
    $db->exec('CREATE TABLE IF NOT EXISTS feedback (
        id INTEGER PRIMARY KEY, received TEXT NOT NULL, remote TEXT NOT NULL, appname TEXT NOT NULL,
        version TEXT NOT NULL, message TEXT NOT NULL, email TEXT)');
    $db->exec('CREATE TABLE IF NOT EXISTS checks (
        id INTEGER PRIMARY KEY, received TEXT NOT NULL, remote TEXT NOT NULL, appname TEXT NOT NULL,
        version TEXT NOT NULL, os TEXT NOT NULL, locale TEXT, guid TEXT NOT NULL, howmany INTEGER NOT NULL)');
    return $db;
}

// A POST of a form body no larger than the bound; answers its fields.
function form_fields(): array
{
    if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST') {
        fail('method must be POST');
    }
    $length = (int)($_SERVER['CONTENT_LENGTH'] ?? 0);
    if ($length > MAX_BODY_BYTES) {
        fail('request too large');
    }
    return $_POST;
}

// A field as UTF-8 text of at most $max characters; $required: present and not empty.
function text_field(array $fields, string $name, int $max, bool $required): ?string
{
    if (!array_key_exists($name, $fields)) {
        if ($required) {
            fail("missing field $name");
        }
        return null;
    }
    $value = $fields[$name];
    if (!is_string($value) || preg_match('//u', $value) !== 1) {
        fail("malformed field $name");
    }
    if ($required && trim($value) === '') {
        fail("empty field $name");
    }
    if (strlen($value) > 4 * $max || preg_match_all('/./us', $value) > $max) {
        fail("field $name too long");
    }
    return $value;
}

function now_utc(): string
{
    return gmdate('Y-m-d\TH:i:s\Z');
}
