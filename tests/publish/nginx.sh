# Sourced by the server tests: a free port on 127.0.0.1, and nginx serving
# a published folder at $base (http://127.0.0.1:PORT/mirovan) through the
# site the package ships, moved to that port and folder. The caller stops
# $nginx in its exit trap.
free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
start_nginx() { # start_nginx DIR
  local port; port=$(free_port)
  mkdir -p "$work/nginx"
  # The worker may run as another user: it must reach the folder.
  chmod 755 "$work"
  local shipped=$MIROVAN_TEST_SOURCE/packaging/publish/nginx-mirovan.conf
  sed -e "s|^\( *\)listen 80;|\1listen 127.0.0.1:$port;|" \
      -e "s|alias /var/lib/mirovan-publish/www/;|alias $1/;|" "$shipped" >"$work/nginx/site.conf"
  grep -F "listen 127.0.0.1:$port;" "$work/nginx/site.conf" >/dev/null &&
    grep -F "alias $1/;" "$work/nginx/site.conf" >/dev/null ||
    { echo "FAIL: $shipped no longer has the listen and alias lines this test moves"; return 1; }
  cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
$( [ "$(id -u)" = 0 ] && echo "user $(id -un);" )
events { worker_connections 16; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  scgi_temp_path $work/nginx/scgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  include $work/nginx/site.conf;
}
CONF
  # In the foreground of a child of this shell, which reaps it at the end.
  nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" &
  nginx=$!
  base=http://127.0.0.1:$port/mirovan
  for _ in $(seq 50); do curl -s -o /dev/null "$base/" && return 0; sleep 0.1; done
  echo "FAIL: nginx did not start"; cat "$work/nginx/error.log"; return 1
}
