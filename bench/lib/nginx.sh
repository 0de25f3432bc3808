# Shared by the bench scripts (sourced, not run): a private nginx serving a
# directory on a free 127.0.0.1 port, optionally also over TLS with a
# throwaway CA, and stopped by the caller's exit trap.
#
# The caller sets W to its work directory before bench_nginx_start and calls
# bench_nginx_stop from its EXIT trap. nginx writes one line per request to
# $W/nginx/access.log: "CONNECTION STATUS URI", where CONNECTION is the serial
# number of the TCP connection the request came on, so requests and
# connections of a run can be counted from it.

NGINX_PID=""
NGINX_PORT=""
NGINX_TLS_PORT=""

# Prints a TCP port on 127.0.0.1 that is free now.
bench_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# bench_make_certs DIR: a CA (DIR/ca.pem) and a certificate for 127.0.0.1
# signed by it (DIR/server.pem, DIR/server.key), valid for two days.
bench_make_certs() {
  mkdir -p "$1"
  (cd "$1" &&
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key \
      -out ca.pem -subj /CN=bench-ca -days 2 &&
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key \
      -out server.csr -subj /CN=127.0.0.1 &&
    printf 'subjectAltName=IP:127.0.0.1\n' >ext.cnf &&
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem \
      -days 2 -extfile ext.cnf) >/dev/null 2>&1 || { echo "openssl failed" >&2; return 1; }
}

# bench_nginx_start ROOT [CERTDIR]: serves ROOT over HTTP on NGINX_PORT and,
# with CERTDIR (made by bench_make_certs), over TLS on NGINX_TLS_PORT. Waits
# (bounded) until the port answers; nginx ends by itself after an hour.
bench_nginx_start() {
  local root=$1 certs=${2:-} tls=""
  [ -x /usr/sbin/nginx ] || { echo "missing nginx (scripts/install-deps.sh)" >&2; return 1; }
  chmod 755 "$W"  # nginx workers run as another user
  mkdir -p "$W/nginx"
  NGINX_PORT=$(bench_free_port)
  if [ -n "$certs" ]; then
    NGINX_TLS_PORT=$(bench_free_port)
    tls="listen 127.0.0.1:$NGINX_TLS_PORT ssl; ssl_certificate $certs/server.pem; ssl_certificate_key $certs/server.key;"
  fi
  cat >"$W/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $W/nginx/nginx.pid;
error_log $W/nginx/error.log;
events { worker_connections 1024; }
http {
  log_format bench '\$connection \$status \$request_uri';
  access_log $W/nginx/access.log bench;
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  sendfile on;
  client_body_temp_path $W/nginx/body;
  proxy_temp_path $W/nginx/proxy;
  fastcgi_temp_path $W/nginx/fastcgi;
  uwsgi_temp_path $W/nginx/uwsgi;
  scgi_temp_path $W/nginx/scgi;
  server { listen 127.0.0.1:$NGINX_PORT; $tls root $root; }
}
CONF
  timeout 3600 /usr/sbin/nginx -c "$W/nginx/nginx.conf" -p "$W/nginx" &
  NGINX_PID=$!
  local _
  for _ in $(seq 1 100); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1',$NGINX_PORT),0.2)" 2>/dev/null &&
      return 0
    sleep 0.1
  done
  echo "nginx did not start (see $W/nginx/error.log)" >&2
  return 1
}

# Stops the nginx started by bench_nginx_start, if any.
bench_nginx_stop() {
  if [ -n "$NGINX_PID" ]; then
    kill "$NGINX_PID" 2>/dev/null || true
    wait "$NGINX_PID" 2>/dev/null || true
    NGINX_PID=""
  fi
}

# Requests and distinct connections in an access-log excerpt (file $1).
bench_requests() { wc -l <"$1"; }
bench_connections() { cut -d' ' -f1 "$1" | sort -u | wc -l; }
